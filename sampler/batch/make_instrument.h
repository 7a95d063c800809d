// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// `ntr --make-instrument FOLDER`: the instrument files of an instrument's
// folder made from the takes already in it, without a run and without Qt.

#include <cstdio>
#include <string>

#include "instrument/instrument_files.h"

namespace ntr::batch {

// Writes the files, prints each one written on `out` and the takes left out
// on `err`. Returns kExitDone; throws BatchError (kExitFolder: the folder is
// missing or a file cannot be written; kExitNoTakes: it holds no takes).
int MakeInstrument(const std::string& instrumentFolder, const instrument::InstrumentFileOptions& options, std::FILE* out,
                   std::FILE* err);

}  // namespace ntr::batch
