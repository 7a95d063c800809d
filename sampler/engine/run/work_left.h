// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A run's events as the files they make: which takes are already made (a
// run that goes on where a stopped or killed one ended skips them), and what
// the others still need in time and in disk space.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "engine/events/event_row.h"
#include "engine/ports.h"

namespace ntr {

// The events of a run: every row once per pass (the program tags in the
// order the run visits them, "XXX" for a single pass).
struct RunEvents {
  const std::vector<EventRow>& rows;
  const std::vector<std::string>& passTags;
  std::string instrumentPath;
  RecordingFormat format;
  bool embedNote = false;
};

// The target files whose finished take is there already (IsFinishedTake).
std::set<std::string> TakesAlreadyMade(const RunEvents& events);

// Whether the pass of `programTag` has a take left to make.
bool HasTakesLeft(const RunEvents& events, const std::string& programTag, const std::set<std::string>& alreadyMade);

struct WorkLeft {
  double seconds = 0.0;    // the notes and decays of the takes left
  std::int64_t bytes = 0;  // the new takes, less the files they replace, and room for one more take
};
WorkLeft WorkLeftOf(const RunEvents& events, const std::set<std::string>& alreadyMade);

}  // namespace ntr
