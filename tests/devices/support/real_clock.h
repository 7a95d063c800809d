// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The monotonic clock with sleeping waits, as the program's clock behaves
// without a window to yield to.

#include <chrono>
#include <thread>

#include "engine/ports.h"

namespace ntr::test {

class RealClock : public ClockPort {
 public:
  double Now() override {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }
  void Yield() override {}
  void WaitUntil(double deadline) override {
    const double left = deadline - Now();
    if (left > 0) std::this_thread::sleep_for(std::chrono::duration<double>(left));
  }
};

}  // namespace ntr::test
