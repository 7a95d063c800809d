// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The audio output a take is listened to through (RtAudioPlayer for the real
// device; tests give a fake). Called from the user-interface thread only; the
// device keeps its audio thread inside its implementation.

#include <string>
#include <vector>

namespace ntr {

class PlayerPort {
 public:
  virtual ~PlayerPort() = default;
  // Why nothing can be played ("" when something can): no output device.
  virtual std::string Unavailable() = 0;
  // Plays interleaved samples (-1..1) from their start, instead of whatever
  // plays. Throws DeviceError (engine/ports.h) when the output cannot be opened.
  virtual void Play(std::vector<float> samples, int channels, int sampleRate) = 0;
  virtual void Stop() = 0;
  // True until the samples have been played or Stop was called.
  virtual bool Playing() const = 0;
};

}  // namespace ntr
