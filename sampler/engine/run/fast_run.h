// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A run whose takes are rendered faster than real time. At START, when the
// run's options ask for it and the selected MIDI output renders its sound on
// a take clock (the built-in synthesizer), the run's events are captured on
// that clock in virtual time; otherwise (a hardware instrument can only be
// played in real time) the run is made in real time as always. Ends, back on
// real time, with the run. One thread: the one that runs the sampling.

#include "engine/takes/event_capture.h"
#include "engine/ports.h"

namespace ntr {

class TakeClock;

class FastRun {
 public:
  // Asks the output for its take clock before the output opens.
  FastRun(bool wanted, MidiOutputPort& midi, EventCapture& capture, ClockPort& realTime);
  ~FastRun();
  FastRun(const FastRun&) = delete;
  FastRun& operator=(const FastRun&) = delete;

  bool Active() const { return clock_ != nullptr; }

 private:
  TakeClock* clock_ = nullptr;
  EventCapture& capture_;
  ClockPort& realTime_;
};

}  // namespace ntr
