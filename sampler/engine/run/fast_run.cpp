// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/fast_run.h"

#include "engine/run/take_clock.h"

namespace ntr {

FastRun::FastRun(bool wanted, MidiOutputPort& midi, EventCapture& capture, ClockPort& realTime)
    : clock_(wanted ? midi.RenderClock() : nullptr), capture_(capture), realTime_(realTime) {
  if (clock_ == nullptr) return;
  clock_->BeginVirtualTime();
  capture_.UseClock(*clock_);
}

FastRun::~FastRun() {
  if (clock_ == nullptr) return;
  capture_.UseClock(realTime_);
  clock_->EndVirtualTime();
}

}  // namespace ntr
