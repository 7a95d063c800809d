// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/make_instrument.h"

#include "batch/command_line.h"
#include "batch/exit_codes.h"
#include "engine/run/plural.h"
#include "instrument/instrument_files.h"

namespace ntr::batch {

int MakeInstrument(const std::string& instrumentFolder, const instrument::InstrumentFileOptions& options, std::FILE* out,
                   std::FILE* err) {
  instrument::InstrumentFiles files;
  try {
    files = instrument::MakeInstrumentFiles(instrumentFolder, options);
  } catch (const instrument::InstrumentError& error) {
    const bool noTakes = error.GetKind() == instrument::InstrumentError::Kind::NoTakes;
    throw BatchError(noTakes ? kExitNoTakes : kExitFolder, error.what());
  }
  for (const std::string& warning : files.warnings) std::fprintf(err, "NTR: %s\n", warning.c_str());
  for (const std::string& file : files.written) std::fprintf(out, "Wrote %s\n", file.c_str());
  std::fprintf(out, "Instrument files for %s, %s.\n", Plural(files.programs, "program").c_str(),
               Plural(files.takes, "take").c_str());
  return kExitDone;
}

}  // namespace ntr::batch
