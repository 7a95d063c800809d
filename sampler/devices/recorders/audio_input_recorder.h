// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recorder used with an external MIDI instrument: it records the default
// input of the audio system in use (JACK when a server runs, else PulseAudio,
// else ALSA) at the device's own rate, and converts the take to the chosen
// rate (libsoxr), channel count and sample size when it is saved.
//
// The input stream (RtAudio) is recorded through the capture core, which
// keeps it open between the takes of a run, until EndOfRun, and opens it
// anew when the options changed. Lost audio fails the take at Stop with an
// AudioDropoutError. The RecorderPort calls come from the user-interface thread.

#include <memory>
#include <string>
#include <vector>

#include "devices/capture/capture_core.h"
#include "devices/recorders/audio_input_options.h"
#include "devices/recorders/audio_source_choice.h"
#include "devices/takes/recorded_take.h"
#include "engine/ports.h"

namespace ntr {

class AudioInputRecorder : public RecorderPort {
 public:
  explicit AudioInputRecorder(AudioInputOptions options = {});
  ~AudioInputRecorder() override;
  AudioInputRecorder(const AudioInputRecorder&) = delete;
  AudioInputRecorder& operator=(const AudioInputRecorder&) = delete;

  const AudioInputOptions& Options() const { return options_; }

  // Starts an empty take; chooses the input device and opens it unless the
  // run's input is still open and fits.
  void NewRecording() override;
  void SetFormat(const RecordingFormat& format) override;
  // Starts capturing; on JACK the source ports are connected before it returns.
  void Record() override;
  // Stops capturing. Throws AudioDropoutError when audio was lost and
  // DeviceError when the stream ended on its own; what was captured stays in
  // the take.
  void Stop() override;
  void Save(const std::string& path) override;
  // Ends the take; the input stays open for the next one.
  void Close() override;
  // Closes the input.
  void EndOfRun() override;
  std::vector<AudioInputEntry> AudioInputs() override;
  // A chosen input replaces the options the recorder was made with; ""
  // goes back to them. The stream is opened anew at the next take.
  void UseAudioInput(const std::string& setting) override;

  // The source of the open recording, e.g. "JACK, system, 2 channels at 44100 Hz".
  std::string SourceDescription() const;
  // The captured take, before conversion (for tests and diagnostics).
  const RecordedTake& Take() const { return capture_.Take(); }
  // The input stream is open (between the takes of a run, too).
  bool InputOpen() const { return capture_.StreamOpen(); }

 private:
  AudioInputOptions defaults_;  // as made: the default input (environment variables apply)
  AudioInputOptions options_;
  AudioInputOptions streamOptions_;  // what the open stream was chosen with
  RecordingFormat format_;
  AudioSourceChoice source_;
  CaptureCore capture_;
};

}  // namespace ntr
