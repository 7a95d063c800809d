#pragma once
// The run's clock on real time: monotonic (no wrap at midnight, unaffected by
// changes of the wall clock), and waits that sleep in short slices instead of
// keeping a core busy, calling the yield hook on every slice.
// The batch mode uses it as is; the window passes a hook that processes its
// pending events (or wraps it with a wait of its own).

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
