// SPDX-License-Identifier: GPL-3.0-or-later
// The sustain loop of a take: a whole number of periods of a steady tone,
// inside the held part; none for a decaying sound; in the file, a sampler
// chunk loop with guard points that repeat the loop start exactly.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "engine/takes/take_finishing.h"
#include "quendal/quendal_wav.h"
#include "test_support.h"

namespace ntr {
namespace {

// A tone with two overtones: a 30 ms attack, held to noteOff (falling
// `fallDbPerSecond` meanwhile), then a 200 ms release.
std::vector<double> Tone(int rate, double hz, double seconds, double noteOff, double fallDbPerSecond) {
  std::vector<double> x(static_cast<std::size_t>(seconds * rate));
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    double level = std::min(t / 0.03, 1.0) * std::pow(10.0, -fallDbPerSecond * t / 20.0);
    if (t > noteOff) level *= std::exp(-(t - noteOff) / 0.05);
    const double w = 2 * std::numbers::pi * hz * t;
    x[i] = 0.4 * level * (std::sin(w) + 0.5 * std::sin(2 * w + 0.3) + 0.25 * std::sin(3 * w + 1.1));
  }
  return x;
}

TEST(TakeLooping, ASteadyToneLoopsOverWholePeriodsAndADecayingOneDoesNot) {
  // 441 Hz at 44100 Hz: exactly 100 frames a period.
  const LoopSearch exact = FindLoop({Tone(44100, 441.0, 2.0, 1.5, 0.0)}, 44100, 66150, 441);
  ASSERT_TRUE(exact.span) << exact.refusal;
  EXPECT_NEAR(*exact.span->periodFrames, 100.0, 0.01);
  EXPECT_EQ((exact.span->end - exact.span->start) % 100, 0U);
  EXPECT_GT(exact.span->start, 44100U * 30 / 1000);        // after the attack
  EXPECT_LE(exact.span->end, 66150U);                      // before note-off
  EXPECT_GT(exact.span->end - exact.span->start, 44100U);  // as long as the steady part allows

  // 440 Hz at 48000 Hz: 109.09 frames a period; the loop holds a whole number of them to a frame.
  const LoopSearch fractional = FindLoop({Tone(48000, 440.0, 2.0, 1.5, 0.0)}, 48000, 72000, 480);
  ASSERT_TRUE(fractional.span) << fractional.refusal;
  const double periods = static_cast<double>(fractional.span->end - fractional.span->start) / (48000.0 / 440.0);
  EXPECT_NEAR(periods, std::round(periods), 0.01);

  // A piano-like decay of 8 dB/s: no steady part, and the search says so.
  const LoopSearch decaying = FindLoop({Tone(44100, 441.0, 2.0, 1.5, 8.0)}, 44100, 66150, 441);
  EXPECT_FALSE(decaying.span);
  EXPECT_NE(decaying.refusal.find("falls"), std::string::npos) << decaying.refusal;
}

TEST(TakeLooping, TheFinishedTakeCarriesTheLoopWithItsGuardPoints) {
  testing::TempDir folder;
  const std::string file = folder / "take.wav";
  const std::vector<double> tone = Tone(44100, 441.0, 2.0, 1.5, 0.0);
  std::string bytes(tone.size() * 2 * 2, '\0');
  for (std::size_t i = 0; i < tone.size() * 2; ++i) {
    EncodeSample(static_cast<float>(tone[i / 2]), {16, false}, reinterpret_cast<unsigned char*>(&bytes[2 * i]));
  }
  quendal::SavePcmWav(file, {44100, 16, 2}, bytes);

  FinishingRequest request;
  request.note = 69;
  request.loop = LoopSettings{10, 1.5};
  const FinishedTake finished = FinishTake(file, request);
  ASSERT_TRUE(finished.warnings.empty()) << finished.warnings.front();
  ASSERT_TRUE(finished.loop && finished.loop->found) << (finished.loop ? finished.loop->refusal : "");
  EXPECT_LT(finished.loop->wrapStep, 3.0);  // an ordinary step of the wave, no click
  EXPECT_LT(std::fabs(finished.loop->levelDifferenceDb), 0.1);

  quendal::Wav wav;
  ASSERT_EQ(wav.GetWavFile(file), 0);
  ASSERT_EQ(wav.SmplChunk->ChunkId, "smpl");
  EXPECT_EQ(wav.SmplChunk->MIDIUnityNote, 69);
  ASSERT_EQ(wav.SmplChunk->WavSmplLoops->Count(), 1);
  const quendal::WavSmplLoop& loop = *wav.SmplChunk->WavSmplLoops->Item(1);
  EXPECT_EQ(loop.LoopType, 0);
  EXPECT_EQ(static_cast<std::size_t>(loop.LoopStart), finished.loop->start);
  EXPECT_EQ(static_cast<std::size_t>(loop.LoopEnd), finished.loop->end);
  // Played through the wrap, the frames around the loop end are those around its start.
  const std::string& data = wav.DataChunk->ChunkData;
  const auto frame = [&](std::int64_t at) { return data.substr(static_cast<std::size_t>(at) * 4, 4); };
  for (int i = -8; i < 8; ++i) EXPECT_EQ(frame(loop.LoopEnd + 1 + i), frame(loop.LoopStart + i)) << i;
}

}  // namespace
}  // namespace ntr
