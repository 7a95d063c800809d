// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/steady_clock.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace ntr {

namespace {
// About 30 years: keeps a stray deadline from overflowing the clock's ticks.
constexpr double kFarFuture = 1.0e9;
}  // namespace

SteadyClock::SteadyClock(std::function<void()> yieldHook, double maxSliceSeconds)
    : yieldHook_(std::move(yieldHook)),
      maxSlice_(std::chrono::duration_cast<std::chrono::steady_clock::duration>(
          std::chrono::duration<double>(std::max(maxSliceSeconds, 0.0001)))),
      origin_(std::chrono::steady_clock::now()) {}

double SteadyClock::Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - origin_).count();
}

void SteadyClock::Yield() {
  if (yieldHook_) yieldHook_();
}

void SteadyClock::WaitUntil(double deadline) {
  const auto end = origin_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                 std::chrono::duration<double>(std::min(deadline, kFarFuture)));
  for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now()) {
    Yield();
    std::this_thread::sleep_until(std::min(end, std::chrono::steady_clock::now() + maxSlice_));
  }
}

}  // namespace ntr
