// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes/fake_clock.h"

#include <algorithm>

namespace ntr::fakes {

void FakeClock::Yield() {
  now_ += yieldCost_;
  ++yields_;
  if (hook_) hook_();
}

void FakeClock::WaitUntil(double deadline) {
  while (now_ < deadline) {
    now_ = std::min(deadline, now_ + step_);
    ++yields_;
    if (hook_) hook_();
  }
}

}  // namespace ntr::fakes
