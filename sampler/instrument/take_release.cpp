// SPDX-License-Identifier: GPL-3.0-or-later
#include "instrument/take_release.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ntr::instrument {

TakeTiming MeasureTiming(const TakeSamples& take, std::optional<std::size_t> loopEnd) {
  TakeTiming timing;
  const std::size_t frames = take.Frames();
  timing.seconds = static_cast<double>(frames) / take.sampleRate;
  const std::size_t block = std::max<std::size_t>(1, static_cast<std::size_t>(take.sampleRate / 100));
  std::vector<double> levels;
  for (std::size_t from = 0; from + block <= frames; from += block) {
    double energy = 0.0;
    for (std::size_t frame = from; frame < from + block; ++frame) {
      for (std::size_t c = 0; c < take.channels; ++c) {
        bool atFullScale = false;
        const double v = take.At(frame, c, atFullScale);
        energy += v * v;
      }
    }
    levels.push_back(
        std::max(10.0 * std::log10(energy / static_cast<double>(block * take.channels) + 1e-30), kSilenceFloorDbfs));
  }
  if (levels.empty()) return timing;

  const auto loudest = std::max_element(levels.begin(), levels.end());
  const double floor = *std::min_element(loudest, levels.end());
  std::size_t held = static_cast<std::size_t>(loudest - levels.begin());
  for (std::size_t b = held; b < levels.size(); ++b) {
    if (levels[b] >= *loudest - kHeldRangeDb) held = b;
  }
  std::size_t noteOff = (held + 1) * block;
  if (loopEnd) noteOff = std::max(noteOff, *loopEnd);
  std::size_t end = noteOff;
  for (std::size_t b = levels.size(); b-- > 0;) {
    if (levels[b] > floor + kAboveFloorDb) {
      end = (b + 1) * block;
      break;
    }
  }
  const double release = end > noteOff ? static_cast<double>(end - noteOff) / take.sampleRate : 0.0;
  const double decay = noteOff < frames ? static_cast<double>(frames - noteOff) / take.sampleRate : 0.0;
  timing.releaseSeconds = std::max(std::min(release, decay), kShortestReleaseSeconds);
  return timing;
}

}  // namespace ntr::instrument
