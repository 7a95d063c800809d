// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The SoundFont 2 file of an instrument, written with libinstpatch: one preset
// per program (bank 0), one instrument per preset with a zone per take of its first
// round (a SoundFont has no round robins), keys and velocities as the SFZ
// file has them, each sample's root key the take's key. Stereo takes become
// a linked left and right sample. The samples are copied into the file.
// Each zone has its take's release (the volume envelope's); a take's loop
// becomes its sample's loop points (the end exclusive, as SoundFont has it)
// and the zone plays in sample mode 3: looping while the key is down, then on
// through the recorded tail. One-shot zones never loop and release slowly
// enough for the whole take to play.

#include <stdexcept>
#include <string>
#include <vector>

#include "instrument/key_layout.h"

namespace ntr::instrument {

struct Sf2Program {
  std::string tag;              // "XXX", "005"
  int preset = 0;               // its number in bank 0
  std::string name;             // the preset's name (cut to 20 characters)
  std::vector<Region> regions;  // regions of turns other than the first are left out
  PlayMode mode = PlayMode::Sustain;
};

// Writes the file at path (UTF-8), replacing one of that name only once the
// new one is complete. A take the library cannot read is left out; the
// result says which and why. Throws std::runtime_error saying what failed.
std::vector<std::string> WriteSf2File(const std::string& path, const std::string& name,
                                      const std::vector<Sf2Program>& programs);

}  // namespace ntr::instrument
