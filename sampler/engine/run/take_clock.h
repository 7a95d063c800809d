// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The clock a run's takes are played and recorded on. It keeps real time
// (everything goes to the clock it wraps) until a fast run switches it to
// virtual time: then a wait returns at once with the time moved to its
// deadline, so a MIDI output that renders its sound on this clock (the
// built-in synthesizer) renders a whole take without waiting for it. Virtual
// time starts at 0 and is kept in whole microseconds, so the same waits give
// the same times, and the same takes, on every run. Yield() always reaches the
// real clock: the window and the batch mode still handle clicks and signals.
// The run's own times (elapsed, suspension) stay on the real clock.
// One thread: the one that runs the sampling. Header only: the devices own one.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/ports.h"

namespace ntr {

class TakeClock : public ClockPort {
 public:
  explicit TakeClock(ClockPort& realTime) : realTime_(realTime) {}

  double Now() override {
    return virtual_ ? static_cast<double>(virtualMicros_) / kMicrosPerSecond : realTime_.Now();
  }
  void Yield() override { realTime_.Yield(); }
  void WaitUntil(double deadline) override {
    if (!virtual_) {
      realTime_.WaitUntil(deadline);
      return;
    }
    if (!(deadline > 0.0)) return;  // also NaN
    const auto micros = std::llround(std::min(deadline, kFarFutureSeconds) * kMicrosPerSecond);
    virtualMicros_ = std::max<std::int64_t>(virtualMicros_, micros);
  }

  // Between runs only: a MIDI output that follows this clock must be closed.
  void BeginVirtualTime() {
    virtual_ = true;
    virtualMicros_ = 0;
  }
  void EndVirtualTime() { virtual_ = false; }
  bool IsVirtual() const { return virtual_; }

 private:
  static constexpr double kMicrosPerSecond = 1.0e6;
  static constexpr double kFarFutureSeconds = 1.0e9;  // about 30 years, as the real clocks allow

  ClockPort& realTime_;
  bool virtual_ = false;
  std::int64_t virtualMicros_ = 0;
};

}  // namespace ntr
