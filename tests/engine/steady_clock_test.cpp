// SPDX-License-Identifier: GPL-3.0-or-later
// The real-time clock: monotonic, and every wait ends without spinning.

#include <gtest/gtest.h>

#include "engine/run/steady_clock.h"

namespace ntr {
namespace {

TEST(SteadyClock, WaitsEndOnTimeAndYieldOnTheWay) {
  int yields = 0;
  SteadyClock clock([&] { ++yields; }, 0.005);
  const double start = clock.Now();
  clock.WaitUntil(start + 0.05);
  const double waited = clock.Now() - start;
  EXPECT_GE(waited, 0.05);
  EXPECT_LT(waited, 2.0);  // generous: the build machine is shared
  EXPECT_GE(yields, 2);
  EXPECT_LE(yields, 20);  // slices of 5 ms, not a busy loop

  yields = 0;
  clock.WaitUntil(start);  // a deadline already passed: no wait, no yield
  clock.WaitUntil(-1.0e300);
  EXPECT_EQ(yields, 0);

  double last = clock.Now();
  for (int i = 0; i < 1000; ++i) {
    const double now = clock.Now();
    ASSERT_GE(now, last);
    last = now;
  }
}

}  // namespace
}  // namespace ntr
