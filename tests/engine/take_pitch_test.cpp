// SPDX-License-Identifier: GPL-3.0-or-later
// The pitch estimator on synthetic tones: harmonic-rich tones from 30 Hz to
// 4 kHz, half a semitone either side of their key, under noise 60 dB down;
// a fundamental weaker than its second harmonic, two detuned oscillators, and
// noise with no pitch at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <random>

#include "engine/takes/autocorrelation.h"
#include "engine/takes/take_pitch.h"

namespace ntr {
namespace {

constexpr int kRate = 44100;

// Half a second of a tone of the given partial amplitudes, with noise 60 dB below its RMS.
std::vector<float> Tone(double hz, const std::vector<double>& partials, std::mt19937& random) {
  std::uniform_real_distribution<double> phase(0.0, 2.0 * M_PI);
  std::vector<double> phases;
  double power = 0.0;
  for (const double amplitude : partials) {
    phases.push_back(phase(random));
    power += amplitude * amplitude / 2.0;
  }
  std::normal_distribution<double> noise(0.0, std::sqrt(power) * 1e-3);
  std::vector<float> samples(kRate / 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    double value = noise(random);
    for (std::size_t n = 0; n < partials.size(); ++n) {
      const double partialHz = hz * static_cast<double>(n + 1);
      if (partialHz < kRate / 2.0) value += partials[n] * std::sin(2.0 * M_PI * partialHz * i / kRate + phases[n]);
    }
    samples[i] = static_cast<float>(0.3 * value);
  }
  return samples;
}

TEST(TakePitch, MeasuresHarmonicTonesFrom30HzTo4kHzWithinACent) {
  std::mt19937 random(22);
  const std::vector<double> sawLike{1.0, 0.5, 0.33, 0.25, 0.2, 0.17};
  std::vector<double> errors;
  // Key 23 is 30.9 Hz (30 Hz half a semitone down), key 107 3951 Hz.
  for (int key = 23; key <= 107; key += 6) {
    for (double cents = -50.0; cents <= 50.0; cents += 25.0) {
      const auto measured = CentsFromNote(Tone(NoteHz(key + cents / 100.0), sawLike, random), kRate, key);
      ASSERT_TRUE(measured) << "key " << key << ", " << cents << " cents";
      errors.push_back(std::fabs(*measured - cents));
      EXPECT_LE(errors.back(), 2.0) << "key " << key << ", " << cents << " cents: " << *measured;
    }
  }
  std::sort(errors.begin(), errors.end());
  const double median = errors[errors.size() / 2];
  std::cout << errors.size() << " tones: median error " << median << " cents, worst " << errors.back() << "\n";
  EXPECT_LE(median, 1.0);
}

TEST(TakePitch, KeepsToTheFundamentalOfStrongHarmonicsAndDetunedOscillators) {
  std::mt19937 random(7);
  for (const int key : {28, 45, 60, 81, 96}) {
    // The second harmonic two and a half times the fundamental.
    const auto measured = CentsFromNote(Tone(NoteHz(key + 0.2), {0.4, 1.0, 0.3, 0.2}, random), kRate, key);
    ASSERT_TRUE(measured) << "key " << key;
    EXPECT_NEAR(*measured, 20.0, 2.0) << "key " << key;

    // Two sawtooth-like oscillators 8 cents apart: the pitch between them.
    std::vector<float> pair = Tone(NoteHz(key - 0.04), {1.0, 0.5, 0.33, 0.25}, random);
    const std::vector<float> other = Tone(NoteHz(key + 0.04), {1.0, 0.5, 0.33, 0.25}, random);
    for (std::size_t i = 0; i < pair.size(); ++i) pair[i] += other[i];
    const auto between = CentsFromNote(pair, kRate, key);
    ASSERT_TRUE(between) << "key " << key;
    EXPECT_NEAR(*between, 0.0, 5.0) << "key " << key;
  }
}

// The sampler chunk names a flat take by the note below and most of a semitone above it; read back, it is its key
// again.
// The FFT's curve is the sum it stands for, at every lag up to the last (no
// lag wraps onto the start), on a stretch whose length is no power of two.
TEST(TakePitch, AutocorrelationIsTheDirectSumAtEveryLag) {
  std::mt19937 random(7);
  const std::vector<float> x = Tone(97.0, {1.0, 0.6, 0.3}, random);
  const std::size_t n = 1500, maxLag = 700;
  const std::vector<double> curve = NormalisedAutocorrelation(x, n, maxLag);
  ASSERT_EQ(curve.size(), maxLag + 1);
  for (std::size_t lag = 0; lag <= maxLag; ++lag) {
    double product = 0.0, energy = 0.0;
    for (std::size_t i = 0; i + lag < n; ++i) {
      product += static_cast<double>(x[i]) * x[i + lag];
      energy += static_cast<double>(x[i]) * x[i] + static_cast<double>(x[i + lag]) * x[i + lag];
    }
    EXPECT_NEAR(curve[lag], 2.0 * product / energy, 1e-9) << "lag " << lag;
  }
}

TEST(TakePitch, SamplerChunkPitchRoundTrips) {
  const SmplPitch flat = SmplPitchOf(60, -35.0);
  EXPECT_EQ(flat.unityNote, 59);
  EXPECT_EQ(static_cast<std::uint32_t>(flat.fraction), 2791728742u);  // 0.65 of 2^32
  for (const double cents : {-49.9, -35.0, 0.0, 12.5, 49.9}) {
    const SmplPitch pitch = SmplPitchOf(64, cents);
    const KeyPitch key = KeyPitchOf(pitch.unityNote, pitch.fraction);
    EXPECT_EQ(key.key, 64) << cents;
    EXPECT_NEAR(key.cents, cents, 1e-6) << cents;
  }
}

TEST(TakePitch, NoiseHasNoPitch) {
  std::mt19937 random(3);
  std::normal_distribution<double> noise(0.0, 0.2);
  std::vector<float> samples(kRate / 2);
  for (float& sample : samples) sample = static_cast<float>(noise(random));
  EXPECT_FALSE(CentsFromNote(samples, kRate, 60));
  EXPECT_FALSE(CentsFromNote(std::vector<float>(kRate / 2, 0.0f), kRate, 60));
}

}  // namespace
}  // namespace ntr
