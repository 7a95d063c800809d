// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/check_instrument.h"

#include "batch/command_line.h"
#include "batch/exit_codes.h"
#include "instrument/instrument_check.h"
#include "instrument/instrument_files.h"

namespace ntr::batch {

int CheckInstrument(const std::string& instrumentFolder, double toleranceCents, std::FILE* out) {
  instrument::InstrumentCheck check;
  try {
    check = instrument::CheckInstrument(instrumentFolder, toleranceCents);
  } catch (const instrument::InstrumentError& error) {
    const bool noTakes = error.GetKind() == instrument::InstrumentError::Kind::NoTakes;
    throw BatchError(noTakes ? kExitNoTakes : kExitFolder, error.what());
  } catch (const std::exception& error) {
    throw BatchError(kExitFolder, error.what());
  }
  for (const std::string& problem : check.problems) std::fprintf(out, "%s\n", problem.c_str());
  std::fprintf(out, "%s\n", check.summary.c_str());
  return check.passed ? kExitDone : kExitCheckFailed;
}

}  // namespace ntr::batch
