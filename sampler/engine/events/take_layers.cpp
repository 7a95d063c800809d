// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/events/take_layers.h"

#include <algorithm>
#include <cctype>

#include "engine/events/text_numbers.h"

namespace ntr {

std::optional<std::vector<int>> ParseVelocityLayers(std::string_view text) {
  std::vector<int> velocities;
  if (TrimBlanks(text).empty()) return velocities;
  for (;;) {
    const auto comma = text.find(',');
    const std::string_view item = TrimBlanks(text.substr(0, comma));
    const bool digits = !item.empty() && item.size() <= 3 && std::all_of(item.begin(), item.end(), [](char c) {
      return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
    const int velocity = digits ? std::stoi(std::string(item)) : 0;
    if (velocity < 1 || velocity > 127) return std::nullopt;
    if (std::find(velocities.begin(), velocities.end(), velocity) == velocities.end()) velocities.push_back(velocity);
    if (comma == std::string_view::npos) return velocities;
    text.remove_prefix(comma + 1);
  }
}

void AppendTakesOfNote(std::vector<EventRow>& rows, const EventRow& note, const TakeLayers& layers) {
  if (layers.Plain()) {
    rows.push_back(note);
    return;
  }
  std::vector<std::string> velocities;
  for (const int velocity : layers.velocities) velocities.push_back(std::to_string(velocity));
  if (velocities.empty()) velocities.push_back(note.Vel);
  const int rounds = std::clamp(layers.rounds, 1, kMaxRoundRobins);
  for (const std::string& velocity : velocities) {
    for (int round = 1; round <= rounds; ++round) {
      EventRow take = note;
      take.Vel = velocity;
      take.OwnVelocity = true;
      take.Suffixed = velocities.size() > 1 || rounds > 1;
      take.Round = rounds > 1 ? round : 0;
      rows.push_back(std::move(take));
    }
  }
}

int VelocityOf(const std::string& text) {
  std::string velocity = text;
  return static_cast<int>(NormaliseNumberField(velocity, "127", 0, 127));
}

int PlayedVelocity(const EventRow& row, int runVelocity) { return row.OwnVelocity ? VelocityOf(row.Vel) : runVelocity; }

TakeLayers TakeLayersOf(std::string_view velocityLayers, int roundRobins) {
  TakeLayers layers;
  layers.velocities = ParseVelocityLayers(velocityLayers).value_or(std::vector<int>{});
  layers.rounds = std::clamp(roundRobins, 1, kMaxRoundRobins);
  return layers;
}

}  // namespace ntr
