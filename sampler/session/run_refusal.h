// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A run refused before anything played: the chosen audio input was gone, a
// folder could not be made, the disk was too small and nobody chose to go
// on, or the MIDI output did not open. Such a run made no take and wrote no
// report, so neither front end shows a summary or names a report after it
// (the last report they know is an earlier run's).

#include "engine/run/run_state.h"

namespace ntr::session {

bool RefusedBeforePlaying(const RunResult& result);

}  // namespace ntr::session
