// SPDX-License-Identifier: GPL-3.0-or-later
#include "instrument/key_layout.h"

#include <algorithm>
#include <map>
#include <set>

namespace ntr::instrument {

namespace {

// 0 for a take without a velocity (one layer for all velocities).
int LayerVelocity(const Take& take) { return take.name.velocity ? std::max(*take.name.velocity, 1) : 0; }

}  // namespace

std::vector<Region> LayOutRegions(const ProgramTakes& program) {
  // The sampled keys of each layer, and how many rounds each key has there.
  std::map<int, std::set<int>> keysOfLayer;
  std::map<std::pair<int, int>, int> roundsOf;
  for (const Take& take : program.takes) {
    keysOfLayer[LayerVelocity(take)].insert(take.key);
    ++roundsOf[{LayerVelocity(take), take.key}];
  }

  std::vector<Region> regions;
  std::map<std::pair<int, int>, int> turnsGiven;
  for (const Take& take : program.takes) {
    const int layer = LayerVelocity(take);
    Region region;
    region.take = &take;

    const auto self = keysOfLayer.find(layer);
    if (layer != 0) {
      region.loVelocity = self == keysOfLayer.begin() ? 1 : std::prev(self)->first + 1;
      region.hiVelocity = std::next(self) == keysOfLayer.end() ? 127 : layer;
    }

    const std::set<int>& keys = self->second;
    const auto key = keys.find(take.key);
    region.loKey = key == keys.begin() ? take.key : (*std::prev(key) + take.key) / 2 + 1;
    region.hiKey = std::next(key) == keys.end() ? take.key : (take.key + *std::next(key)) / 2;

    region.rounds = roundsOf[{layer, take.key}];
    region.round = ++turnsGiven[{layer, take.key}];
    regions.push_back(region);
  }
  return regions;
}

double ReleaseSeconds(const Region& region, PlayMode mode) {
  const double release =
      mode == PlayMode::OneShot ? region.take->seconds * kOneShotReleaseTakes : region.take->releaseSeconds;
  return std::min(release, kLongestReleaseSeconds);
}

bool Loops(const Region& region, PlayMode mode) { return mode == PlayMode::Sustain && region.take->loop.has_value(); }

int MostRounds(const std::vector<Region>& regions) {
  int most = 1;
  for (const Region& region : regions) most = std::max(most, region.rounds);
  return most;
}

}  // namespace ntr::instrument
