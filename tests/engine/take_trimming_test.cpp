// SPDX-License-Identifier: GPL-3.0-or-later
// Trimming a take to its sound: the onset lands at the pre-roll, the end
// fades out to silence, the sampler chunk stays; a silent take is left alone.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "engine/takes/take_finishing.h"
#include "quendal/quendal_wav.h"
#include "test_support.h"

namespace ntr {
namespace {

constexpr int kRate = 48000;
constexpr double kNoiseAmplitude = 0.0003;  // about -76 dBFS RMS

// One second of stereo noise with, when `withNote`, a 440 Hz note from
// `latency` on: a 2 ms attack, then a decay of 80 ms per neper.
std::string TakeBytes(SampleCoding coding, bool withNote, double latency = 0.030) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> noise(-kNoiseAmplitude, kNoiseAmplitude);
  std::string bytes(static_cast<std::size_t>(kRate) * 2 * coding.Bytes(), '\0');
  auto* out = reinterpret_cast<unsigned char*>(bytes.data());
  for (int frame = 0; frame < kRate; ++frame) {
    const double t = frame / static_cast<double>(kRate) - latency;
    const double envelope = !withNote || t < 0 ? 0.0 : std::min(t / 0.002, 1.0) * std::exp(-t / 0.080);
    const double note = 0.5 * envelope * std::sin(2 * std::numbers::pi * 440 * std::max(t, 0.0));
    for (int c = 0; c < 2; ++c) {
      EncodeSample(static_cast<float>(note + noise(random)), coding, out + (2 * frame + c) * coding.Bytes());
    }
  }
  return bytes;
}

double PeakOf(const TakeSamples& take, std::size_t first, std::size_t end) {
  double peak = 0.0;
  for (std::size_t frame = first; frame < end; ++frame) {
    for (std::size_t c = 0; c < take.channels; ++c) {
      bool atFullScale = false;
      peak = std::max(peak, std::fabs(take.At(frame, c, atFullScale)));
    }
  }
  return peak;
}

TEST(TakeTrimming, TheTakeStartsAtThePreRollAndFadesOutWhereItsSoundEnds) {
  testing::TempDir folder;
  const double noiseFloorDbfs = 20 * std::log10(kNoiseAmplitude / std::sqrt(3.0));
  FinishingRequest trimming;
  trimming.trim = TrimSettings{5, 10, noiseFloorDbfs};

  // The latency of a sound card, and a synthesizer's note that sounds sooner than the pre-roll.
  struct Case {
    SampleCoding coding;
    double latency;
  };
  for (const auto& [coding, latency] : {Case{{24, false}, 0.030}, Case{{32, true}, 0.030}, Case{{16, false}, 0.001}}) {
    SCOPED_TRACE(::testing::Message() << coding.bits << " bits, latency " << latency);
    const std::string file = folder / "take.wav";
    const quendal::PcmFormat format{kRate, coding.bits, 2};
    auto wav = coding.isFloat ? quendal::MakeFloatWav(format, TakeBytes(coding, true, latency))
                              : quendal::MakePcmWav(format, TakeBytes(coding, true, latency));
    quendal::ApplyUnityNote(*wav, 60);
    ASSERT_EQ(wav->PutWavFile(file, true), 0);

    ASSERT_TRUE(FinishTake(file, trimming).warnings.empty());
    quendal::Wav trimmed;
    ASSERT_EQ(trimmed.GetWavFile(file), 0);
    EXPECT_EQ(trimmed.SmplChunk->ChunkId, "smpl");
    EXPECT_EQ(trimmed.SmplChunk->MIDIUnityNote, 60);
    const TakeSamples take = SamplesOf(trimmed, file);
    if (coding.isFloat) {
      EXPECT_EQ(trimmed.FactChunk->SamplesNumber, static_cast<int32_t>(take.Frames()));
    }

    // The onset is the pre-roll in, within 1 ms; the latency before it is gone.
    const TakeLevels levels = MeasureTake(take, noiseFloorDbfs);
    ASSERT_TRUE(levels.onsetSeconds);
    EXPECT_NEAR(*levels.onsetSeconds, 0.005, 0.001);
    // The note falls to the noise floor about 0.55 s after it began: the rest
    // of the second is cut, the decay is not.
    EXPECT_GT(levels.seconds, 0.45);
    EXPECT_LT(levels.seconds, 0.75);

    // The last 10 ms fade out: no step at the end larger than the raised
    // cosine lets through, and the last frame is silent.
    const std::size_t fade = kRate / 100;
    const std::size_t end = take.Frames();
    const double before = PeakOf(take, end - 2 * fade, end - fade);
    EXPECT_LE(PeakOf(take, end - fade / 4, end), 0.15 * before + 1e-6);
    EXPECT_LE(PeakOf(take, end - 1, end), 1.2e-7);
    // A note sooner than the pre-roll is moved back behind silence.
    if (latency < 0.005) {
      EXPECT_EQ(PeakOf(take, 0, kRate * 3 / 1000), 0.0);
    }
  }

  // A take of noise alone is not trimmed: the file stays as it was.
  const std::string silent = folder / "silent.wav";
  quendal::SavePcmWav(silent, {kRate, 24, 2}, TakeBytes({24, false}, false));
  const std::string before = testing::ReadBytes(silent);
  EXPECT_TRUE(FinishTake(silent, trimming).warnings.empty());
  EXPECT_EQ(testing::ReadBytes(silent), before);
}

}  // namespace
}  // namespace ntr
