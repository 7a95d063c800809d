// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a program's takes are spread over the keyboard and the velocities, the
// same for every instrument file written from them:
// - keys: within each velocity layer, the keys from one sampled key to the
//   next are split halfway (the lower half to the lower take), so every key
//   from the lowest to the highest sampled key sounds, at its own pitch;
// - velocities: a layer recorded at velocity v plays from just above the
//   next lower layer's velocity (1 for the lowest) up to v (127 for the
//   highest); takes without a velocity play at every velocity;
// - rounds: the takes of one key and layer take turns, in round order.

#include <vector>

#include "instrument/take_scan.h"

namespace ntr::instrument {

struct Region {
  const Take* take = nullptr;  // into the ProgramTakes given to LayOutRegions
  int loKey = 0;
  int hiKey = 127;
  int loVelocity = 1;
  int hiVelocity = 127;
  int rounds = 1;       // takes of this key and layer that take turns
  int round = 1;        // this one's turn, 1..rounds
  double gainDb = 0.0;  // the instrument's gain (normalized), the same for every region
  // The correction of the take's tuning, in cents (the take's own, reversed).
  double TuneCents() const { return -take->pitchCents; }
};

// One region per take, in the order of program.takes (by layer, key, round).
std::vector<Region> LayOutRegions(const ProgramTakes& program);

// How a region plays, the same in every file: Sustain, while the key is down
// (looping where the take has a loop), then the take's recorded release;
// OneShot (drums, percussion), the whole take however short the press, never
// looping.
enum class PlayMode { Sustain, OneShot };

// A one-shot region's release is this many times its take, so the envelope
// (which falls some 96 dB over the release) takes 6 dB off the take's end.
inline constexpr double kOneShotReleaseTakes = 16.0;
inline constexpr double kLongestReleaseSeconds = 100.0;

// The region's release (seconds) and whether it loops.
double ReleaseSeconds(const Region& region, PlayMode mode);
bool Loops(const Region& region, PlayMode mode);

// The most rounds of any key and layer (1 without round robins).
int MostRounds(const std::vector<Region>& regions);

}  // namespace ntr::instrument
