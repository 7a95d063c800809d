// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The structure of a program's SFZ and DecentSampler files, read back as a
// sampler reads them: every sample they name exists beside them, and their
// regions cover the same keys and velocities as the program's layout (what
// the SoundFont was written from).

#include <string>
#include <vector>

#include "instrument/key_layout.h"

namespace ntr::instrument {

// One line per problem, naming the file; none when both files are sound.
std::vector<std::string> CheckStructure(const std::string& instrumentFolder, const std::string& stem,
                                        const std::vector<Region>& regions);

}  // namespace ntr::instrument
