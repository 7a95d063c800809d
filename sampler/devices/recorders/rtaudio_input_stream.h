// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The input stream of one chosen source through RtAudio (JACK, PulseAudio or
// ALSA). On JACK its ports get a name known in advance and are connected to
// the chosen sources at every Start, so a source that went away and came
// back is wired again.

#include <memory>
#include <string>

#include "devices/capture/input_stream.h"
#include "devices/recorders/audio_source_choice.h"

namespace ntr {

// "Jack, system, 2 channel(s) at 44100 Hz".
std::string DescribeAudioSource(const AudioSourceChoice& source);

class RtAudioInputStream : public InputStream {
 public:
  explicit RtAudioInputStream(AudioSourceChoice source);
  ~RtAudioInputStream() override;
  RtAudioInputStream(const RtAudioInputStream&) = delete;
  RtAudioInputStream& operator=(const RtAudioInputStream&) = delete;

  InputFormat Format() const override { return {source_.sampleRate, source_.channels}; }
  void Open(InputSink& sink) override;
  void Start() override;
  bool Alive() const override;
  void Stop() override;
  void Close() override;
  std::string Description() const override { return DescribeAudioSource(source_); }
  // The source as opened (its rate the stream's own).
  const AudioSourceChoice& Source() const { return source_; }

 private:
  struct Device;
  AudioSourceChoice source_;
  std::unique_ptr<Device> device_;
};

}  // namespace ntr
