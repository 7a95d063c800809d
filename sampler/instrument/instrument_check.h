// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The instrument playing itself: each program's preset of the instrument's
// SoundFont is loaded into FluidSynth and every key from the lowest to the
// highest sampled one is rendered offline at each layer's velocity. Every key
// must sound, lie within the tolerance of equal temperament (A = 440 Hz)
// wherever it has a steady pitch, and sound louder in each layer than in the
// one below. Where a zone loops, a hold of four times its sample must not
// click at the seam and must keep its level. The SFZ and DecentSampler files are checked for their structure:
// every sample exists, and their keys and velocities cover what the
// SoundFont's do. Plain C++ on the instrument files; any thread, one call at
// a time per folder.

#include <string>
#include <vector>

namespace ntr::instrument {

inline constexpr double kDefaultToleranceCents = 5.0;

struct InstrumentCheck {
  bool passed = false;
  std::vector<std::string> problems;  // one line each: the program, the key and what is wrong
  // "Instrument check: 61 keys x 3 layers: in tune (worst 2.1 cents), levels rise with velocity"
  std::string summary;
  int keys = 0;    // keys played, over every program
  int layers = 0;  // the most layers of any program
  double worstCents = 0.0;
};

// Checks the instrument in its folder (<save folder>/<instrument>), whose
// files MakeInstrumentFiles wrote. Throws InstrumentError (FolderMissing,
// NoTakes) when there is no instrument to check, std::runtime_error when its
// SoundFont cannot be loaded.
InstrumentCheck CheckInstrument(const std::string& instrumentFolder, double toleranceCents = kDefaultToleranceCents);

}  // namespace ntr::instrument
