// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// `ntr --check-instrument FOLDER [--tolerance-cents N]`: the instrument in an
// instrument's folder played and measured (instrument/instrument_check.h),
// without a run and without Qt.

#include <cstdio>
#include <string>

namespace ntr::batch {

// Prints one line per problem and the summary on `out`. Returns kExitDone
// when everything passes, kExitCheckFailed when something does not; throws
// BatchError (kExitFolder: no folder or no SoundFont; kExitNoTakes: no takes).
int CheckInstrument(const std::string& instrumentFolder, double toleranceCents, std::FILE* out);

}  // namespace ntr::batch
