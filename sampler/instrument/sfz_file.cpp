// SPDX-License-Identifier: GPL-3.0-or-later
#include "instrument/sfz_file.h"

#include <cmath>
#include <cstdio>

namespace ntr::instrument {

namespace {

std::string Decimals(double value, int places) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", places, value);
  return text;
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds);
  return text;
}

}  // namespace

std::string SfzText(const std::string& title, const std::vector<Region>& regions, PlayMode mode) {
  std::string text = "// " + title + "\n// Made by NTR from its takes; the sample paths are relative to this file.\n\n";
  for (const Region& region : regions) {
    text += "<region> lokey=" + std::to_string(region.loKey) + " hikey=" + std::to_string(region.hiKey) +
            " pitch_keycenter=" + std::to_string(region.take->key) + " lovel=" + std::to_string(region.loVelocity) +
            " hivel=" + std::to_string(region.hiVelocity);
    if (region.rounds > 1) {
      text += " seq_length=" + std::to_string(region.rounds) + " seq_position=" + std::to_string(region.round);
    }
    if (std::lround(region.TuneCents()) != 0) text += " tune=" + std::to_string(std::lround(region.TuneCents()));
    if (region.gainDb != 0.0) text += " volume=" + Decimals(region.gainDb, 2);
    text += " ampeg_release=" + Seconds(ReleaseSeconds(region, mode));
    if (mode == PlayMode::OneShot) {
      text += " loop_mode=one_shot";
    } else if (Loops(region, mode)) {
      text += " loop_mode=loop_sustain loop_start=" + std::to_string(region.take->loop->start) +
              " loop_end=" + std::to_string(region.take->loop->end);
    }
    // Last on the line: a sample's path runs to the end of it.
    text += " sample=" + region.take->file + "\n";
  }
  return text;
}

}  // namespace ntr::instrument
