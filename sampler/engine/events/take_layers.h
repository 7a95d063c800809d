// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Velocity layers and round robins: every note recorded once per layer and
// round, one event row per take (note x layer x round), so that the grid,
// the estimate and the run count every take.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/events/event_row.h"

namespace ntr {

// The velocities of a layer list: "" (or blanks) is none, i.e. one layer at
// the window's velocity; otherwise velocities 1..127 separated by commas,
// blanks allowed around each ("40, 80,127"). A velocity given twice counts
// once. nullopt for anything else ("0", "40,,80", "loud", "40.5").
std::optional<std::vector<int>> ParseVelocityLayers(std::string_view text);

inline constexpr int kMaxRoundRobins = 8;

struct TakeLayers {
  std::vector<int> velocities;  // empty: one layer at the note's own velocity
  int rounds = 1;               // 1..kMaxRoundRobins

  bool Plain() const { return velocities.empty() && rounds <= 1; }
};

// The takes the settings ask for: the layer list as ParseVelocityLayers reads
// it (none when it does not parse) and the rounds clamped to 1..kMaxRoundRobins.
TakeLayers TakeLayersOf(std::string_view velocityLayers, int roundRobins);

// Appends the rows of one note: `note` itself when the layers are plain,
// otherwise one row of OwnVelocity per layer and round, layer by layer,
// rounds within a layer; Suffixed when that makes more than one row.
void AppendTakesOfNote(std::vector<EventRow>& rows, const EventRow& note, const TakeLayers& layers);

// A velocity (0..127) from its text: not a number counts as 127, one out of
// range is pulled to the nearer limit (as generation does).
int VelocityOf(const std::string& text);

// The velocity a row plays: its own (normalised as generation does) for a
// row of OwnVelocity, the run's otherwise.
int PlayedVelocity(const EventRow& row, int runVelocity);

}  // namespace ntr
