// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Trimming a saved take to its sound: it starts a pre-roll before its onset
// (which removes the interface's latency and the room noise in front of the
// note) and ends where the sound has fallen to the noise floor, at
// the latest at the end of the recording, with a raised-cosine fade-out so
// it never ends in a click. Sample-accurate; every other chunk of the file
// (the sampler chunk among them) is kept. Called by the capture between
// events, never from an audio callback.

#include <cstddef>
#include <optional>
#include <string>

#include "engine/takes/take_analysis.h"

namespace quendal {
class Wav;
}

namespace ntr {

struct TrimSettings {
  int preRollMs = 5;
  int fadeOutMs = 10;
  // The input's noise floor (the level check's), digital silence when unknown.
  double noiseFloorDbfs = kSilenceFloorDbfs;
};

// The sound begins at the take's onset as the take analysis measures it
// (a slow attack needs a longer pre-roll to be kept whole). It has ended after the last stretch of this length whose RMS rises
// this far above the noise floor.
inline constexpr double kSoundEndBlockSeconds = 0.005;
inline constexpr double kSoundEndAboveFloorDb = 6.0;

// The part of a take that is kept: frames [first, end), after leadFrames of
// silence (a take whose onset comes sooner than the pre-roll, such as the
// built-in synthesizer's, is moved back so that every onset lands at the
// pre-roll), of which the last fadeFrames fade out.
struct TrimSpan {
  std::size_t leadFrames = 0;
  std::size_t first = 0;
  std::size_t end = 0;
  std::size_t fadeFrames = 0;
};

// Where a take is cut; none for a take that does not sound over the noise floor.
std::optional<TrimSpan> PlanTrim(const TakeSamples& take, const TrimSettings& settings);

// Trims the take in `wav` (read from `file`, named in messages). Returns
// false, leaving it untouched, for a silent take. Throws std::runtime_error
// when it holds no audio that can be trimmed. A finishing step
// (take_finishing.h) when the run trims its takes.
bool TrimTake(quendal::Wav& wav, const std::string& file, const TrimSettings& settings);

}  // namespace ntr
