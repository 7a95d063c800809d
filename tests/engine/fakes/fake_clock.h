// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Virtual time for engine tests. Waits advance the time in steps and call the
// yield hook at every step, as the real clock lets the window handle clicks
// while a note sounds; a test's hook can press STOP, SUSPEND or RESUME at an
// exact moment of an event.

#include <functional>

#include "engine/ports.h"

namespace ntr::fakes {

class FakeClock : public ClockPort {
 public:
  // stepSeconds: how far one step of a wait moves the time.
  explicit FakeClock(double stepSeconds = 0.05, double startTime = 1000.0)
      : step_(stepSeconds), now_(startTime) {}

  double Now() override { return now_; }
  void Yield() override;
  void WaitUntil(double deadline) override;

  // Called at every Yield() and every step of a wait (after the time moved).
  void SetYieldHook(std::function<void()> hook) { hook_ = std::move(hook); }
  // Time that each Yield() itself takes (the cost of the window's event processing).
  void SetYieldCost(double seconds) { yieldCost_ = seconds; }
  void Advance(double seconds) { now_ += seconds; }

  int YieldCount() const { return yields_; }

 private:
  double step_;
  double now_;
  double yieldCost_ = 0.0;
  int yields_ = 0;
  std::function<void()> hook_;
};

}  // namespace ntr::fakes
