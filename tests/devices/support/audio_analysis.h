// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Looking at recorded audio in tests: reading WAV files with libsndfile (a
// reader independent of ours), pitch, level and onset.

#include <string>
#include <vector>

namespace ntr::test {

struct DecodedWav {
  int sampleRate = 0;
  int channels = 0;
  int format = 0;               // libsndfile's SF_FORMAT_* value
  std::vector<float> samples;   // interleaved, +-1 full scale
  long Frames() const { return channels > 0 ? static_cast<long>(samples.size()) / channels : 0; }
};

// Throws std::runtime_error when libsndfile cannot read the file.
DecodedWav ReadWav(const std::string& path);

// One channel (0-based) or, with channel -1, the mean of all.
std::vector<float> Channel(const DecodedWav& wav, int channel);

// The fundamental near expectedHz (within half an octave either way), by the
// normalised difference function (YIN) with parabolic interpolation, over the
// window [start, start + length) of the signal. 0 when no period is found.
double FundamentalNear(const std::vector<float>& mono, int sampleRate, double expectedHz, std::size_t start,
                       std::size_t length);

double Cents(double hz, double referenceHz);
double NoteHz(int midiNote);
float Peak(const std::vector<float>& samples);
// Index of the first sample whose magnitude reaches threshold; -1 if none.
long FirstAbove(const std::vector<float>& samples, float threshold);

// How a trimmed take (interleaved samples) begins and ends: the seconds to
// its onset (the first frame with a sample at a tenth of the take's peak),
// the peak of the last quarter of its fade against the peak of the fade's
// length before the fade (a raised cosine lets through at most 15 %), and
// the largest sample of its last frame.
struct TrimFigures {
  double onsetSeconds = -1;
  float fadeTailRatio = 1;
  float lastSample = 1;
};
TrimFigures TrimFiguresOf(const std::vector<float>& interleaved, int channels, int sampleRate, double fadeSeconds);

// How much two takes of the same note sound alike: the difference of their
// onsets (first sample at a tenth of the louder peak), of their RMS levels,
// and the normalised cross-correlation at the best lag within maxLagFrames.
struct Likeness {
  double onsetSeconds = 0;  // b's onset minus a's
  double levelDb = 0;       // b's level against a's
  double correlation = 0;
};
Likeness CompareTakes(const std::vector<float>& a, const std::vector<float>& b, int sampleRate, long maxLagFrames);

}  // namespace ntr::test
