// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a run spends beyond its notes and decays, for the estimate shown
// before it starts ("Extimated" in the window, "Estimated time" in the batch
// mode): the level check before each program's takes, the pause after each
// program change and the trimming of each take. The notes and decays
// themselves are EstimatedRunMillis (event_list.h); the estimate is the sum.
// Plain arithmetic over the list and the options; any thread.

#include <set>
#include <string>
#include <vector>

#include "engine/events/event_row.h"
#include "engine/ports.h"
#include "engine/run/run_options.h"
#include "engine/run/work_left.h"

namespace ntr {

// The test note's tail usually falls back within this after its own decay
// (the built-in synthesizer's do, on every patch tried); the run waits for it
// at most the list's longest decay.
inline constexpr double kExpectedTailSeconds = 0.5;
// Trimming reads a take and writes it again: a fixed cost and one per byte,
// as measured on a take of the test build (0.6 s to 2.5 s of 44.1 kHz stereo).
inline constexpr double kTrimSecondsPerTake = 0.0025;
inline constexpr double kTrimSecondsPerByte = 25.0e-9;

// What the run is made of.
struct RunShape {
  const std::vector<EventRow>& rows;  // the event list
  int programs = 1;                   // the programs visited; 1 for a run without program changes
  bool programChanges = false;        // each program visited is preceded by a program change
  RecordingFormat format;
  bool embedNote = false;
};

// The seconds a run spends around its takes, with `options` as the run reads
// them (the session sets no pause for the built-in synthesizer).
double RunOverheadSeconds(const RunShape& run, const RunOptions& options);

// The same for a run that skips the takes already made: the pause and the
// level check of each pass with a take left, the trimming of each take left.
double RunOverheadLeftSeconds(const RunEvents& events, const std::set<std::string>& alreadyMade, bool programChanges,
                              const RunOptions& options);

}  // namespace ntr
