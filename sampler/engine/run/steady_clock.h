// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The run's clock on real time: monotonic (no wrap at midnight, unaffected by
// changes of the wall clock), and waits that sleep in short slices instead of
// keeping a core busy, calling the yield hook on every slice.
// The batch mode's clock (its hook watches for stop signals and redraws the
// progress); the window uses QtClock, which waits in Qt's event loop.

#include <chrono>
#include <functional>

#include "engine/ports.h"

namespace ntr {

class SteadyClock : public ClockPort {
 public:
  // yieldHook runs at every Yield() and on every slice of a wait; it may be empty.
  // A wait sleeps at most maxSliceSeconds between calls of the hook.
  explicit SteadyClock(std::function<void()> yieldHook = {}, double maxSliceSeconds = 0.005);

  double Now() override;  // seconds since the clock was made
  void Yield() override;
  void WaitUntil(double deadline) override;

 private:
  std::function<void()> yieldHook_;
  std::chrono::steady_clock::duration maxSlice_;
  std::chrono::steady_clock::time_point origin_;
};

}  // namespace ntr
