// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The level of an audio input, chosen as the recorder chooses it (the same
// settings text), read through its own RtAudio stream. The audio thread only
// folds each block into atomics (peak, energy, frames, clipping); Read takes
// and clears them on the caller's thread.

#include <atomic>
#include <memory>

#include "devices/capture/input_stream.h"
#include "engine/input_meter_port.h"

namespace ntr {

class AudioInputMeter : public InputMeterPort, private InputSink {
 public:
  AudioInputMeter();
  ~AudioInputMeter() override;

  std::vector<AudioInputEntry> AudioInputs() override;
  void Open(const std::string& setting) override;
  InputMeterReading Read() override;
  void Close() override;
  std::string Description() const override;

 private:
  void OnInput(const float* interleaved, std::size_t frames, bool overflow) override;

  std::unique_ptr<InputStream> stream_;
  unsigned channels_ = 1;
  std::atomic<float> peak_{0.0f};
  std::atomic<double> energy_{0.0};
  std::atomic<std::size_t> samples_{0};
  std::atomic<bool> clipped_{false};
  int fullScaleRun_ = 0;  // audio thread only
};

}  // namespace ntr
