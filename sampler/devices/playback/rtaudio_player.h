// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plays a take through the audio system's default output (RtAudio). One
// stream at a time, opened at the take's own rate for each Play and closed by
// Stop. The audio callback only copies from the take's samples and moves an
// atomic position; everything else runs on the caller's thread.

#include <atomic>
#include <memory>

#include "engine/player_port.h"

namespace ntr {

class RtAudioPlayer : public PlayerPort {
 public:
  RtAudioPlayer();
  ~RtAudioPlayer() override;

  std::string Unavailable() override;
  void Play(std::vector<float> samples, int channels, int sampleRate) override;
  void Stop() override;
  bool Playing() const override;

  // What the callback reads; public for the callback only.
  struct Take {
    std::vector<float> samples;
    int channels = 1;
    int outputChannels = 2;
    std::atomic<std::size_t> frame{0};
    std::atomic<bool> done{false};
  };

 private:
  struct Device;
  std::unique_ptr<Device> device_;
  std::unique_ptr<Take> take_;
};

}  // namespace ntr
