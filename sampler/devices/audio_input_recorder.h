#pragma once
// The recorder used with an external MIDI instrument: it records the default
// input of the audio system in use (JACK when a server runs, else PulseAudio,
// else ALSA) at the device's own rate, and converts the take to the chosen
// rate (libsoxr), channel count and sample size when it is saved.
//
// The audio callback only copies into a preallocated lock-free ring; a helper
// thread moves the audio from there into the take. Lost audio (an overrun of
// the device or of the ring) fails the take at Stop.
// The RecorderPort calls come from the user-interface thread.

#include <memory>
#include <string>

#include "devices/audio_input_options.h"
#include "devices/audio_source_choice.h"
#include "devices/recorded_take.h"
#include "engine/ports.h"

namespace ntr {

class AudioInputRecorder : public RecorderPort {
 public:
  explicit AudioInputRecorder(AudioInputOptions options = {});
  ~AudioInputRecorder() override;
  AudioInputRecorder(const AudioInputRecorder&) = delete;
  AudioInputRecorder& operator=(const AudioInputRecorder&) = delete;

  // Takes effect at the next NewRecording.
  void SetOptions(AudioInputOptions options) { options_ = std::move(options); }
  const AudioInputOptions& Options() const { return options_; }

  // Chooses the input device and opens it (capture starts at Record).
  void NewRecording() override;
  void SetFormat(const RecordingFormat& format) override;
  // Starts capturing; on JACK the source ports are connected before it returns.
  void Record() override;
  // Stops capturing. Throws DeviceError when audio was lost or the stream
  // ended on its own; what was captured stays in the take.
  void Stop() override;
  void Save(const std::string& path) override;
  void Close() override;

  // The source of the open recording, e.g. "JACK, system, 2 channels at 44100 Hz".
  std::string SourceDescription() const;
  // The captured take, before conversion (for tests and diagnostics).
  const RecordedTake& Take() const { return take_; }

 private:
  struct Stream;
  AudioInputOptions options_;
  RecordingFormat format_;
  AudioSourceChoice source_;
  std::unique_ptr<Stream> stream_;
  RecordedTake take_;
};

}  // namespace ntr
