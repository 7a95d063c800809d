// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A clock the test moves by hand: the built-in synthesizer renders exactly to
// the times the test chooses, so takes are instant and repeatable.

#include "engine/ports.h"

namespace ntr::test {

class ManualClock : public ClockPort {
 public:
  double Now() override { return now_; }
  void Yield() override {}
  void WaitUntil(double deadline) override {
    if (deadline > now_) now_ = deadline;
  }
  void Advance(double seconds) { now_ += seconds; }

 private:
  double now_ = 100.0;  // any origin works; not zero, to catch absolute-time mistakes
};

}  // namespace ntr::test
