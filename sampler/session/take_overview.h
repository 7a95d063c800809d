// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the take browser draws of a take: a min/max overview of its samples
// in a fixed number of columns (a waveform is drawn from it, never sample by
// sample), where it clips, its sampler chunk's loops, and its levels measured
// on the way. Built on a worker thread (plain C++; nothing shared).

#include <cstddef>
#include <string>
#include <vector>

#include "engine/takes/take_analysis.h"
#include "session/take_list.h"

namespace ntr::session {

inline constexpr std::size_t kOverviewColumns = 1024;

struct TakeLoop {
  std::size_t start = 0;  // frames
  std::size_t end = 0;
};

struct TakeOverview {
  int sampleRate = 0;
  std::size_t frames = 0;
  // Per column, over every channel: the lowest and highest sample (-1..1), and
  // whether a sample of it was at full scale.
  std::vector<float> low;
  std::vector<float> high;
  std::vector<bool> clipped;
  std::vector<TakeLoop> loops;
  TakeLevels levels;

  double Seconds() const { return sampleRate > 0 ? static_cast<double>(frames) / sampleRate : 0.0; }
};

// Reads and measures the take at `path`. Throws std::runtime_error when it
// cannot be read or holds no audio this program measures.
TakeOverview BuildTakeOverview(const std::string& path, std::size_t columns = kOverviewColumns);

// Where the marks go, in seconds from the take's first frame.
struct TakeMarks {
  std::optional<double> noteOff;
  std::optional<double> soundStart;  // a trimmed take's onset, after its pre-roll
  std::optional<double> fadeStart;   // a trimmed take's fade-out
  std::vector<std::pair<double, double>> loops;
};

// The recording starts at the note on, so an untrimmed take's note off is its
// duration in; a trimmed take starts a pre-roll before its onset, which follows
// the note on by the input's latency only, so its note off is the duration
// after the onset. A mark beyond the take's end is left out.
TakeMarks MarksOf(const TakeOverview& overview, const TakeTiming& timing);

// The take's samples for playing: interleaved, -1..1.
struct TakeAudio {
  std::vector<float> samples;
  int channels = 0;
  int sampleRate = 0;
};
TakeAudio ReadTakeAudio(const std::string& path);

}  // namespace ntr::session
