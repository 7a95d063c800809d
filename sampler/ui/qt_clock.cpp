// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt_clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace ntr::ui {

namespace {
// A wait longer than this wakes up in between (the loop then sleeps again):
// keeps a timer far in the future from overflowing and bounds each nested loop.
constexpr double kLongestSleepSeconds = 1.0;
// Below this the event loop's timers are too coarse: the rest is slept directly.
constexpr double kTimerResolutionSeconds = 0.001;
}  // namespace

QtClock::QtClock() { timer_.start(); }

double QtClock::Now() { return static_cast<double>(timer_.nsecsElapsed()) / 1e9; }

void QtClock::Yield() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtClock::WaitUntil(double deadline) {
  for (double remaining = deadline - Now(); remaining > 0.0; remaining = deadline - Now()) {
    if (remaining < kTimerResolutionSeconds) {
      Yield();
      const double left = deadline - Now();
      if (left > 0.0) std::this_thread::sleep_for(std::chrono::duration<double>(left));
      continue;
    }
    // Sleeps in the event loop until the timer fires; clicks are handled meanwhile.
    QEventLoop loop;
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wakeUp, &QTimer::timeout, &loop, &QEventLoop::quit);
    const double sleep = std::min(remaining, kLongestSleepSeconds) - kTimerResolutionSeconds / 2;
    wakeUp.start(std::max(0, static_cast<int>(std::floor(sleep * 1000.0))));
    loop.exec();
  }
}

}  // namespace ntr::ui
