// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The audio of one take as a recorder captured it, before conversion to the
// chosen format: interleaved float samples (full scale +-1) at the source rate.

#include <cstddef>
#include <vector>

namespace ntr {

struct RecordedTake {
  std::vector<float> samples;  // interleaved, channels per frame
  int sampleRate = 0;
  int channels = 0;
  // The take's length on the run's clock when the recorder knows it (-1 when
  // not): the saved take then holds exactly this long at the chosen rate,
  // whatever the rounding of its source frames.
  double clockSeconds = -1.0;

  std::size_t Frames() const { return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0; }
};

}  // namespace ntr
