// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/work_left.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "engine/events/text_numbers.h"
#include "engine/run/free_space.h"
#include "engine/takes/finished_take.h"
#include "engine/takes/sample_paths.h"

namespace ntr {

namespace {

template <typename Visit>
void ForEachEvent(const RunEvents& events, Visit visit) {
  for (const std::string& tag : events.passTags) {
    for (const EventRow& row : events.rows) visit(tag, row, TargetFile(events.instrumentPath, tag, TakeName(row)));
  }
}

std::int64_t Millis(const std::string& text) { return WholeNumberInRange(text, 0, 2147483647).value_or(0); }

}  // namespace

std::set<std::string> TakesAlreadyMade(const RunEvents& events) {
  std::set<std::string> made;
  ForEachEvent(events, [&](const std::string&, const EventRow& row, const std::string& target) {
    const auto note = WholeNumberInRange(row.Number, 0, 127);
    if (note && IsFinishedTake(target, events.format, events.embedNote, static_cast<int>(*note))) made.insert(target);
  });
  return made;
}

bool HasTakesLeft(const RunEvents& events, const std::string& programTag, const std::set<std::string>& alreadyMade) {
  return std::any_of(events.rows.begin(), events.rows.end(), [&](const EventRow& row) {
    return alreadyMade.count(TargetFile(events.instrumentPath, programTag, TakeName(row))) == 0;
  });
}

// A take is written beside its target and then replaces it: the disk needs
// room for one more take than the run makes, and gets back what it replaces.
WorkLeft WorkLeftOf(const RunEvents& events, const std::set<std::string>& alreadyMade) {
  WorkLeft work;
  std::int64_t largestTake = 0;
  ForEachEvent(events, [&](const std::string&, const EventRow& row, const std::string& target) {
    if (alreadyMade.count(target) != 0) return;
    const std::int64_t bytes = TakeBytes(Millis(row.Time), Millis(row.Decay), events.format, events.embedNote);
    std::error_code noFile;
    const auto replaced = std::filesystem::file_size(PathFromUtf8(target), noFile);
    work.seconds += static_cast<double>(Millis(row.Time) + Millis(row.Decay)) / 1000.0;
    work.bytes += bytes - (noFile ? 0 : static_cast<std::int64_t>(replaced));
    largestTake = std::max(largestTake, bytes);
  });
  work.bytes += largestTake;
  return work;
}

}  // namespace ntr
