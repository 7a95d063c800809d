// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The SFZ file of one program: one region per take, the sample by its path
// relative to the instrument's folder (where the file is written), its
// release (ampeg_release), and its loop (loop_end is the loop's last frame,
// as in the take's sampler chunk) or one-shot play.

#include <string>
#include <vector>

#include "instrument/key_layout.h"

namespace ntr::instrument {

// The file's text; `title` goes into its opening comment.
std::string SfzText(const std::string& title, const std::vector<Region>& regions, PlayMode mode = PlayMode::Sustain);

}  // namespace ntr::instrument
