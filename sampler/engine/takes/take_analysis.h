// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The levels of one take, measured from its WAV file after it was saved:
// peak and RMS (dBFS), the delay from the start of the recording (the note
// on) to the sound's onset, and clipping. Plain C++ on the file's samples,
// called by the run between events (never from an audio callback).

#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/takes/sample_coding.h"

namespace quendal {
class Wav;
}

namespace ntr {

// Below this a level counts as digital silence (the built-in synthesizer's
// output before a note, a muted input).
inline constexpr double kSilenceFloorDbfs = -120.0;
// A take sounds when its peak rises this far above the noise floor.
inline constexpr double kSoundingMarginDb = 20.0;
// Clipping: this many consecutive samples of a channel at full scale.
inline constexpr int kClippedRun = 3;

struct TakeLevels {
  double peakDbfs = kSilenceFloorDbfs;
  double rmsDbfs = kSilenceFloorDbfs;
  // Seconds from the first frame to the first sample above the onset
  // threshold (20 dB below the peak, and 10 dB above the noise floor); none
  // when nothing rises above it.
  std::optional<double> onsetSeconds;
  bool clipped = false;
  double seconds = 0.0;  // the take's length
  // The peak of the take's last kEndWindowSeconds: what the input still held
  // when the recording ended, so what the next take starts with.
  double endPeakDbfs = kSilenceFloorDbfs;
  double peakSeconds = 0.0;  // where the peak is, from the first frame
  // The held part's fundamental in cents from the key played (take_pitch.h);
  // none where there is no steady pitch (noise, a drum).
  std::optional<double> pitchCents{};
};

inline constexpr double kEndWindowSeconds = 0.02;

// The samples of a take as its WAV file holds them (a view of the data
// chunk's bytes, valid while the model lives).
struct TakeSamples {
  std::string_view data;
  SampleCoding coding;
  std::size_t channels = 0;
  int sampleRate = 0;

  std::size_t Frames() const { return data.size() / (coding.Bytes() * channels); }
  std::size_t FrameBytes() const { return coding.Bytes() * channels; }
  double At(std::size_t frame, std::size_t channel, bool& atFullScale) const {
    const auto* p = reinterpret_cast<const unsigned char*>(data.data()) + (frame * channels + channel) * coding.Bytes();
    return DecodeSample(p, coding, atFullScale);
  }
  // The same with the coding fixed when compiled (see WithFixedCoding).
  template <typename Fixed>
  double At(std::size_t frame, std::size_t channel, bool& atFullScale, Fixed) const {
    constexpr SampleCoding kCoding = Fixed::kCoding;
    const auto* p =
        reinterpret_cast<const unsigned char*>(data.data()) + (frame * channels + channel) * kCoding.Bytes();
    return DecodeSample(p, kCoding, atFullScale);
  }
};

template <int kBits, bool kFloat>
struct FixedCoding {
  static constexpr SampleCoding kCoding{kBits, kFloat};
};

// Calls visit(FixedCoding<...>{}) for `coding`: a loop over every sample of a
// take written inside `visit` decodes each in a few instructions, where the
// coding looked up sample by sample costs the run milliseconds per take.
template <typename Visit>
decltype(auto) WithFixedCoding(SampleCoding coding, Visit&& visit) {
  if (coding.isFloat) return visit(FixedCoding<32, true>{});
  switch (coding.bits) {
    case 8: return visit(FixedCoding<8, false>{});
    case 16: return visit(FixedCoding<16, false>{});
    case 24: return visit(FixedCoding<24, false>{});
    default: return visit(FixedCoding<32, false>{});
  }
}

// The samples of a model read from `file` (named in the message). Throws
// std::runtime_error when it holds no audio format this program measures.
TakeSamples SamplesOf(const quendal::Wav& wav, const std::string& file);

// Measures a take. noiseFloorDbfs, when known, keeps the onset above the noise.
TakeLevels MeasureTake(const TakeSamples& take, std::optional<double> noiseFloorDbfs);

// Reads the PCM (8/16/24/32-bit integer) or 32-bit float WAV at `file` and
// measures it. noiseFloorDbfs, when known, keeps the onset above the noise.
// Throws std::runtime_error when the file cannot be read or holds no audio
// format it knows.
TakeLevels AnalyseTakeFile(const std::string& file, std::optional<double> noiseFloorDbfs = std::nullopt);

inline double DbfsAmplitude(double dbfs) { return std::pow(10.0, dbfs / 20.0); }

// Whether a take with these levels sounds over the noise floor.
bool Sounds(const TakeLevels& levels, double noiseFloorDbfs);

// A take's own note, told apart from the tail of the note before it (what
// the input held before its note on, `carried`). A tail only falls: it never
// rises above the level it had when the recording before ended, and its peak
// comes at the take's start. A note rises above it, or peaks later (a slow
// attack over a loud release, as strings or a pad with a short decay).
inline constexpr double kRiseOverCarriedDb = 6.0;
inline constexpr double kCarriedPeakSeconds = 0.05;

// Whether a take sounds over the noise floor and is more than the tail it
// started with (see above).
bool SoundsOverCarried(const TakeLevels& levels, double noiseFloorDbfs, double carriedDbfs);

}  // namespace ntr
