// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's unattended mode: main() calls RunBatchMode when
// IsBatchCommandLine says so, before any window or QApplication exists.

#include "batch/command_line.h"

namespace ntr::batch {

// Parses the arguments, prints --help, or makes one sampling run with the
// stored (or given) settings. Returns the exit status (exit_codes.h); every
// failure is explained on stderr first.
int RunBatchMode(int argc, char** argv);

}  // namespace ntr::batch
