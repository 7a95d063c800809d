// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The DecentSampler preset (.dspreset, XML) of one program: one <sample> per
// take, with the same keys and velocities as the SFZ file, and the rounds as
// DecentSampler's round robins: one <group> per turn (seqMode "round_robin",
// its seqPosition), each sample with the length of its own key's turns, its
// release, and its loop (loopEnd is the loop's last frame, as in the take's
// sampler chunk; a one-shot preset never loops and releases slowly enough for
// the whole take to play).

#include <string>
#include <vector>

#include "instrument/key_layout.h"

namespace ntr::instrument {

// The file's text; `title` goes into its opening comment.
std::string DspresetText(const std::string& title, const std::vector<Region>& regions,
                         PlayMode mode = PlayMode::Sustain);

}  // namespace ntr::instrument
