// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A take's release as it was recorded: the time from note-off until the
// take has fallen to its noise floor, at most the take's own decay (what was
// recorded after note-off). The instrument files set each region's release
// to it, so a key let go early plays the recorded tail and fades as it did.
// Note-off is read from the take itself, so any folder of takes works: it
// is where the sound was last within kHeldRangeDb of its loudest (where the
// held note begins to fade), and never before the end of the take's loop.
// Plain C++ on a take's samples; any thread.

#include <cstddef>
#include <optional>

#include "engine/takes/take_analysis.h"

namespace ntr::instrument {

inline constexpr double kHeldRangeDb = 3.0;
// The noise floor: the quietest 10 ms after the peak; the sound has fallen
// to it when it is no more than this above it.
inline constexpr double kAboveFloorDb = 6.0;
// The shortest release written: a note-off never clicks.
inline constexpr double kShortestReleaseSeconds = 0.01;

struct TakeTiming {
  double seconds = 0.0;
  double releaseSeconds = kShortestReleaseSeconds;
};

// loopEnd: the first frame after the take's loop, when it has one.
TakeTiming MeasureTiming(const TakeSamples& take, std::optional<std::size_t> loopEnd);

}  // namespace ntr::instrument
