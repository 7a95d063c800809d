// SPDX-License-Identifier: GPL-3.0-or-later
// The window's clock: waits end on time, let the window handle events while
// they last, and sleep instead of keeping a core busy.

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <ctime>
#include <vector>
#include <gtest/gtest.h>

#include "ui/qt_clock.h"

namespace ntr::ui {
namespace {

double ProcessSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

TEST(QtClock, WaitsEndWithinAFewMillisecondsAndHandleEventsMeanwhile) {
  QtClock clock;
  int handled = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&handled] { ++handled; });
  ticker.start(10);

  const double cpuBefore = ProcessSeconds();
  const double started = clock.Now();
  std::vector<double> late;
  for (int i = 0; i < 24; ++i) {
    const double wait = i % 4 == 0 ? 0.0005 : 0.003 * i;  // below and above the timers' resolution
    const double deadline = clock.Now() + wait;
    clock.WaitUntil(deadline);
    late.push_back(clock.Now() - deadline);
  }
  const double waited = clock.Now() - started;
  const double cpu = ProcessSeconds() - cpuBefore;
  std::sort(late.begin(), late.end());
  EXPECT_GE(late.front(), 0.0);          // never early
  EXPECT_LT(late[late.size() / 2], 0.002);  // typically within a couple of milliseconds
  EXPECT_LT(late.back(), 0.030);          // even on a busy machine
  EXPECT_GE(handled, 20);                 // the 10 ms ticker kept running through the waits
  EXPECT_LT(cpu, waited * 0.5);           // a busy wait would cost all of it
}

TEST(QtClock, APassedDeadlineReturnsAtOnce) {
  QtClock clock;
  const double before = clock.Now();
  clock.WaitUntil(before - 1.0);
  EXPECT_LT(clock.Now() - before, 0.001);
}

}  // namespace
}  // namespace ntr::ui
