// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The looping zones of a SoundFont's instrument, read with libinstpatch: the
// zones whose sample modes loop (1, or 3: loop and play the rest on release).

#include <string>
#include <vector>

namespace ntr::instrument {

struct LoopedZone {
  int loKey = 0;
  int hiKey = 127;
  int loVelocity = 0;
  int hiVelocity = 127;
  double seconds = 0.0;           // the sample's length
  double loopStartSeconds = 0.0;  // where its loop starts
  int rootKey = 60;               // the key that plays it at its own speed
};

// The looping zones of the instruments whose names start with `prefix`.
// Throws std::runtime_error when the file cannot be read.
std::vector<LoopedZone> LoopedZones(const std::string& soundFontPath, const std::string& prefix);

}  // namespace ntr::instrument
