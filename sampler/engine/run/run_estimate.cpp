// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/run_estimate.h"

#include <algorithm>
#include <cstdint>

#include "engine/events/text_numbers.h"
#include "engine/run/free_space.h"
#include "engine/run/level_check.h"
#include "engine/takes/sample_paths.h"

namespace ntr {

namespace {

std::int64_t Millis(const std::string& text) { return WholeNumberInRange(text, 0, 32000).value_or(0); }

// One level check: the noise floor, one test note that sounds (the usual
// case) and the wait for its tail, at most the longest decay.
double LevelCheckSeconds(const std::vector<EventRow>& rows) {
  const bool anyNote = std::any_of(
      rows.begin(), rows.end(), [](const EventRow& row) { return WholeNumberInRange(row.Number, 0, 127).has_value(); });
  if (!anyNote) return 0.0;  // a list without a note plays no test note either
  const double tail = std::min(LongestDecaySeconds(rows), kExpectedTailSeconds);
  return kNoiseFloorSeconds + kTestNoteHoldSeconds + kTestNoteDecaySeconds + tail;
}

double TrimSeconds(const std::vector<EventRow>& rows, const RecordingFormat& format, bool embedNote) {
  double seconds = 0.0;
  for (const EventRow& row : rows) {
    const std::int64_t bytes = TakeBytes(Millis(row.Time), Millis(row.Decay), format, embedNote);
    seconds += kTrimSecondsPerTake + static_cast<double>(bytes) * kTrimSecondsPerByte;
  }
  return seconds;
}

// Around one pass: the pause after its program change, its level check (which
// plays from the whole list) and the trimming of the takes it makes.
double PassOverheadSeconds(const std::vector<EventRow>& rows, const std::vector<EventRow>& made, bool programChange,
                           const RecordingFormat& format, bool embedNote, const RunOptions& options) {
  double seconds = 0.0;
  if (programChange) seconds += static_cast<double>(std::max(options.pauseAfterProgramChangeMs, 0)) / 1000.0;
  if (options.testNotes) seconds += LevelCheckSeconds(rows);
  if (options.trim) seconds += TrimSeconds(made, format, embedNote);
  return seconds;
}

}  // namespace

double RunOverheadSeconds(const RunShape& run, const RunOptions& options) {
  return PassOverheadSeconds(run.rows, run.rows, run.programChanges, run.format, run.embedNote, options) *
         static_cast<double>(std::max(run.programs, 0));
}

double RunOverheadLeftSeconds(const RunEvents& events, const std::set<std::string>& alreadyMade, bool programChanges,
                              const RunOptions& options) {
  double seconds = 0.0;
  for (const std::string& tag : events.passTags) {
    std::vector<EventRow> left;
    for (const EventRow& row : events.rows) {
      if (alreadyMade.count(TargetFile(events.instrumentPath, tag, TakeName(row))) == 0) left.push_back(row);
    }
    if (!left.empty()) {
      seconds += PassOverheadSeconds(events.rows, left, programChanges, events.format, events.embedNote, options);
    }
  }
  return seconds;
}

}  // namespace ntr
