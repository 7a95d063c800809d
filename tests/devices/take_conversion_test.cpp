// SPDX-License-Identifier: GPL-3.0-or-later
// Channel, rate and sample-size conversion of a take, and the ring between
// the audio thread and the take.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "devices/capture/spsc_ring.h"
#include "devices/takes/take_conversion.h"
#include "support/audio_analysis.h"

namespace ntr {
namespace {

std::vector<float> Sine(double hz, int rate, double seconds, float amplitude, int channels) {
  const auto frames = static_cast<std::size_t>(seconds * rate);
  std::vector<float> out(frames * static_cast<std::size_t>(channels));
  for (std::size_t f = 0; f < frames; ++f) {
    const auto v = static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * hz * static_cast<double>(f) / rate));
    for (int c = 0; c < channels; ++c) out[f * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] = v;
  }
  return out;
}

TEST(Quantise, SixteenBitRoundsToNearestAndClips) {
  EXPECT_EQ(QuantiseTo16(0.0f), 0);
  EXPECT_EQ(QuantiseTo16(0.5f), 16384);
  EXPECT_EQ(QuantiseTo16(-1.0f), -32768);
  EXPECT_EQ(QuantiseTo16(1.0f), 32767);  // full scale clips to the largest code
  EXPECT_EQ(QuantiseTo16(7.0f), 32767);
  EXPECT_EQ(QuantiseTo16(-7.0f), -32768);
  EXPECT_EQ(QuantiseTo16(0.5f / 32768), 0);  // half a step: to even
  EXPECT_EQ(QuantiseTo16(1.5f / 32768), 2);
  EXPECT_EQ(QuantiseTo16(-1.4f / 32768), -1);
  EXPECT_EQ(QuantiseTo16(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(Quantise, EightBitIsUnsignedAroundMidpoint) {
  EXPECT_EQ(QuantiseTo8(0.0f), 128);
  EXPECT_EQ(QuantiseTo8(0.5f), 192);
  EXPECT_EQ(QuantiseTo8(-1.0f), 0);
  EXPECT_EQ(QuantiseTo8(1.0f), 255);
  EXPECT_EQ(QuantiseTo8(-3.0f), 0);
  EXPECT_EQ(QuantiseTo8(1.6f / 128), 130);
  EXPECT_EQ(QuantiseTo8(std::numeric_limits<float>::quiet_NaN()), 128);
}

TEST(Quantise, PcmBytesAreLittleEndian) {
  EXPECT_EQ(EncodePcm({-1.0f / 32768, 0.5f}, SampleCoding{16, false}), std::string("\xFF\xFF\x00\x40", 4));
  EXPECT_EQ(EncodePcm({-1.0f, 0.0f, 1.0f}, SampleCoding{8, false}), std::string("\x00\x80\xFF", 3));
  EXPECT_EQ(EncodePcm({-1.0f / 8388608, 0.5f, 2.0f}, SampleCoding{24, false}),
            std::string("\xFF\xFF\xFF\x00\x00\x40\xFF\xFF\x7F", 9));
  EXPECT_EQ(EncodePcm({0.25f, -2.0f}, SampleCoding{32, true}),
            std::string("\x00\x00\x80\x3E\x00\x00\x00\xC0", 8));  // floats as they are
}

TEST(Channels, StereoToMonoIsTheMeanAndMonoToStereoCopies) {
  EXPECT_EQ(ConvertChannels({0.5f, -0.25f, 1.0f, 1.0f}, 2, 1), (std::vector<float>{0.125f, 1.0f}));
  EXPECT_EQ(ConvertChannels({0.5f, -0.25f}, 1, 2), (std::vector<float>{0.5f, 0.5f, -0.25f, -0.25f}));
  EXPECT_EQ(ConvertChannels({0.1f, 0.2f}, 2, 2), (std::vector<float>{0.1f, 0.2f}));
}

TEST(Resample, KeepsPitchLengthAndLevel) {
  for (const int rate : {11025, 22050, 44100}) {
    const std::vector<float> in = Sine(440.0, 48000, 1.0, 0.5f, 2);
    const std::vector<float> out = Resample(in, 2, 48000, rate);
    ASSERT_NEAR(static_cast<double>(out.size()) / 2, rate, 2) << rate;
    std::vector<float> left(out.size() / 2);
    for (std::size_t i = 0; i < left.size(); ++i) left[i] = out[2 * i];
    const double hz = test::FundamentalNear(left, rate, 440.0, left.size() / 4, left.size() / 2);
    EXPECT_NEAR(test::Cents(hz, 440.0), 0.0, 2.0) << rate;
    EXPECT_NEAR(test::Peak(std::vector<float>(left.begin() + rate / 4, left.end() - rate / 4)), 0.5f, 0.01f) << rate;
  }
}

TEST(ConvertTake, ProducesTheChosenFormat) {
  RecordedTake take{Sine(1000.0, 44100, 0.5, 0.25f, 2), 44100, 2};
  const std::string bytes = ConvertTake(take, {11025, 8, 1});
  EXPECT_NEAR(static_cast<double>(bytes.size()), 11025 * 0.5, 2);
  const std::string wide = ConvertTake(take, {22050, 16, 2});
  EXPECT_NEAR(static_cast<double>(wide.size()), 22050 * 0.5 * 4, 8);
  EXPECT_TRUE(ConvertTake(RecordedTake{}, {44100, 16, 2}).empty());
}

TEST(SpscRing, KeepsOrderAcrossTheWrapAndRefusesWhatDoesNotFit) {
  SpscRing<float> ring(8);
  ASSERT_EQ(ring.Capacity(), 8u);
  std::vector<float> out;
  const float first[6] = {1, 2, 3, 4, 5, 6};
  ASSERT_TRUE(ring.Write(first, 6));
  EXPECT_EQ(ring.ReadAllInto(out), 6u);
  const float second[7] = {7, 8, 9, 10, 11, 12, 13};  // wraps past the end of the storage
  ASSERT_TRUE(ring.Write(second, 7));
  EXPECT_FALSE(ring.Write(second, 2));  // only one place left: all or nothing
  EXPECT_EQ(ring.WritableCount(), 1u);
  EXPECT_EQ(ring.ReadAllInto(out), 7u);
  EXPECT_EQ(out, (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
}

}  // namespace
}  // namespace ntr
