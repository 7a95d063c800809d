// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sustain loop for a take: one forward loop in the part where the key is
// held, so that a player can hold the note as long as the key is down.
// - The loop lies in the steady part of the hold: the longest stretch where
//   the level (over 200 ms: the beating of an ensemble or a pad is no fall)
//   stays within kSteadyToleranceDb of what the note holds over the second
//   half of its hold, once the attack has settled, and at least a block
//   before note-off. It is as long as that part allows, at least
//   kShortestLoopSeconds.
// - A sound whose level falls while the key is held (a piano, a drum) gets
//   no loop, and the search says why.
// - For a pitched sound the loop is a whole number of periods of the
//   measured pitch; its ends sit where the waveform before and after the
//   wrap match best (value and slope), to the sample.
// - A crossfade is mixed into the audio before the loop end (and back out
//   after it), so the wrap is seamless in players that ignore crossfades. Its
//   gains keep the power constant for how alike the two parts are (equal
//   power for unrelated parts, equal gain for identical ones). The eight
//   frames on either side of the loop end are exact copies of those around
//   the loop start (the guard points SoundFont players read past the end).
// Plain C++ on a take's samples; the capture's finishing pass, never an
// audio callback.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quendal {
class Wav;
}

namespace ntr {

inline constexpr double kShortestLoopSeconds = 0.2;
inline constexpr double kSteadyToleranceDb = 3.0;
// A held level that falls (or rises) faster than this, or by more than
// kMostDriftDb over the steady part (the jump a wrap would make), is no
// steady part.
inline constexpr double kSteadiestDriftDbPerSecond = 3.0;
inline constexpr double kMostDriftDb = 2.0;
inline constexpr int kLoopGuardFrames = 8;
inline constexpr int kDefaultLoopCrossfadeMs = 10;

// What the finishing pass needs to loop a take.
struct LoopSettings {
  int crossfadeMs = kDefaultLoopCrossfadeMs;
  double noteOffSeconds = 0.0;  // from the take's first recorded frame (its note on)
};

// Where a loop goes: frames [start, end) of the take (end exclusive).
struct LoopSpan {
  std::size_t start = 0;
  std::size_t end = 0;
  std::optional<double> periodFrames;  // the measured pitch's period; none for an unpitched sound
};

// The search's answer: a span, or why there is none.
struct LoopSearch {
  std::optional<LoopSpan> span;
  std::string refusal;
};

// Finds the loop of a take (its channels, each sample a fraction of full
// scale) whose key is released at noteOffFrame, leaving room for a crossfade
// of crossfadeFrames before the loop start. Pure; any thread.
LoopSearch FindLoop(const std::vector<std::vector<double>>& channels, int sampleRate, std::size_t noteOffFrame,
                    std::size_t crossfadeFrames);

// What the report says of a take's loop.
struct TakeLoop {
  bool found = false;
  std::size_t start = 0;           // the first frame of the loop
  std::size_t end = 0;             // its last frame, as the sampler chunk has it (inclusive)
  double wrapStep = 0.0;           // the step across the wrap, in times the median movement around it
  double wrapStepOfPeak = 0.0;     // the same step as a fraction of the local peak
  double levelDifferenceDb = 0.0;  // the level after the loop start against before the loop end
  std::string refusal;             // why a take has no loop
};

// Loops the take in `wav` (read from `file`) whose samples start
// `framesCut` frames after the recording's first (the trimming's cut):
// crossfades it and gives its sampler chunk one forward loop, keeping (or
// setting) the unity note `note`. A take without a steady part is left as it
// is. Throws std::runtime_error when it holds no audio that can be looped.
TakeLoop LoopTake(quendal::Wav& wav, const std::string& file, const LoopSettings& settings, long long framesCut,
                  int note);

}  // namespace ntr
