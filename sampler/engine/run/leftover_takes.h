// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Temporary takes that a run killed in the middle of an event left behind.

#include <string>
#include <vector>

namespace ntr {

// Removes, in each of `folders` (not below them), the files named as
// TemporaryRecordingPath names a raw take, or as quendal::TemporaryPathBeside
// names a finished take on its way in, except those of a process that is still
// running on this machine (another copy of the program at work in the same
// folder). Returns how many were removed; what cannot be removed is left.
int RemoveLeftoverTakes(const std::vector<std::string>& folders);

}  // namespace ntr
