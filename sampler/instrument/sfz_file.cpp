// SPDX-License-Identifier: GPL-3.0-or-later
#include "instrument/sfz_file.h"

namespace ntr::instrument {

std::string SfzText(const std::string& title, const std::vector<Region>& regions) {
  std::string text = "// " + title + "\n// Made by NTR from its takes; the sample paths are relative to this file.\n\n";
  for (const Region& region : regions) {
    text += "<region> lokey=" + std::to_string(region.loKey) + " hikey=" + std::to_string(region.hiKey) +
            " pitch_keycenter=" + std::to_string(region.take->key) + " lovel=" + std::to_string(region.loVelocity) +
            " hivel=" + std::to_string(region.hiVelocity);
    if (region.rounds > 1) {
      text += " seq_length=" + std::to_string(region.rounds) + " seq_position=" + std::to_string(region.round);
    }
    // Last on the line: a sample's path runs to the end of it.
    text += " sample=" + region.take->file + "\n";
  }
  return text;
}

}  // namespace ntr::instrument
