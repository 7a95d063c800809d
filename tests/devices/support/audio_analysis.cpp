// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/audio_analysis.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace ntr::test {

DecodedWav ReadWav(const std::string& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) throw std::runtime_error("libsndfile cannot read " + path + ": " + sf_strerror(nullptr));
  DecodedWav wav;
  wav.sampleRate = info.samplerate;
  wav.channels = info.channels;
  wav.format = info.format;
  wav.samples.resize(static_cast<std::size_t>(info.frames) * static_cast<std::size_t>(info.channels));
  const sf_count_t read = sf_readf_float(file, wav.samples.data(), info.frames);
  sf_close(file);
  wav.samples.resize(static_cast<std::size_t>(read) * static_cast<std::size_t>(info.channels));
  return wav;
}

std::vector<float> Channel(const DecodedWav& wav, int channel) {
  std::vector<float> out(static_cast<std::size_t>(wav.Frames()));
  const auto channels = static_cast<std::size_t>(wav.channels);
  for (std::size_t f = 0; f < out.size(); ++f) {
    if (channel >= 0) {
      out[f] = wav.samples[f * channels + static_cast<std::size_t>(channel)];
    } else {
      float sum = 0;
      for (std::size_t c = 0; c < channels; ++c) sum += wav.samples[f * channels + c];
      out[f] = sum / static_cast<float>(channels);
    }
  }
  return out;
}

double FundamentalNear(const std::vector<float>& mono, int sampleRate, double expectedHz, std::size_t start,
                       std::size_t length) {
  if (start + length > mono.size()) length = mono.size() > start ? mono.size() - start : 0;
  const double expectedLag = sampleRate / expectedHz;
  const auto minLag = static_cast<std::size_t>(std::max(2.0, std::floor(expectedLag / 1.41)));
  const auto maxLag = static_cast<std::size_t>(std::ceil(expectedLag * 1.41)) + 1;
  if (length < 2 * maxLag + 2) return 0;
  const std::size_t window = length - maxLag - 1;
  const float* x = mono.data() + start;

  // d(tau) for tau = 1..maxLag+1, then the cumulative-mean normalised form.
  std::vector<double> d(maxLag + 2, 0.0);
  for (std::size_t tau = 1; tau < d.size(); ++tau) {
    double sum = 0;
    for (std::size_t i = 0; i < window; ++i) {
      const double diff = static_cast<double>(x[i]) - x[i + tau];
      sum += diff * diff;
    }
    d[tau] = sum;
  }
  std::vector<double> normalised(d.size(), 1.0);
  double running = 0;
  for (std::size_t tau = 1; tau < d.size(); ++tau) {
    running += d[tau];
    normalised[tau] = running > 0 ? d[tau] * static_cast<double>(tau) / running : 1.0;
  }
  std::size_t best = minLag;
  for (std::size_t tau = minLag; tau <= maxLag; ++tau) {
    if (normalised[tau] < normalised[best]) best = tau;
  }
  if (best <= 1 || best + 1 >= normalised.size()) return 0;
  const double a = normalised[best - 1];
  const double b = normalised[best];
  const double c = normalised[best + 1];
  const double denominator = a - 2 * b + c;
  const double shift = denominator != 0 ? 0.5 * (a - c) / denominator : 0.0;
  return sampleRate / (static_cast<double>(best) + shift);
}

double Cents(double hz, double referenceHz) { return 1200.0 * std::log2(hz / referenceHz); }

double NoteHz(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

float Peak(const std::vector<float>& samples) {
  float peak = 0;
  for (const float s : samples) peak = std::max(peak, std::fabs(s));
  return peak;
}

long FirstAbove(const std::vector<float>& samples, float threshold) {
  for (std::size_t i = 0; i < samples.size(); ++i) {
    if (std::fabs(samples[i]) >= threshold) return static_cast<long>(i);
  }
  return -1;
}

TrimFigures TrimFiguresOf(const std::vector<float>& interleaved, int channels, int sampleRate, double fadeSeconds) {
  TrimFigures figures;
  const auto width = static_cast<std::size_t>(channels);
  const std::size_t fade = static_cast<std::size_t>(std::lround(fadeSeconds * sampleRate)) * width;
  if (fade == 0 || interleaved.size() < 2 * fade) return figures;
  const long onset = FirstAbove(interleaved, 0.1f * Peak(interleaved));
  figures.onsetSeconds = static_cast<double>(onset / channels) / sampleRate;
  const auto peakOf = [&](std::size_t first, std::size_t end) {
    return Peak(std::vector<float>(interleaved.begin() + static_cast<long>(first),
                                   interleaved.begin() + static_cast<long>(end)));
  };
  const std::size_t end = interleaved.size();
  const float before = peakOf(end - 2 * fade, end - fade);
  figures.fadeTailRatio = before > 0 ? peakOf(end - fade / 4 / width * width, end) / before : 0;
  figures.lastSample = peakOf(end - width, end);
  return figures;
}

Likeness CompareTakes(const std::vector<float>& a, const std::vector<float>& b, int sampleRate, long maxLagFrames) {
  Likeness likeness;
  const float threshold = 0.1f * std::max(Peak(a), Peak(b));
  likeness.onsetSeconds = static_cast<double>(FirstAbove(b, threshold) - FirstAbove(a, threshold)) / sampleRate;
  auto energy = [](const std::vector<float>& x, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += static_cast<double>(x[i]) * x[i];
    return sum;
  };
  const auto n = static_cast<long>(std::min(a.size(), b.size()));
  likeness.levelDb = 10.0 * std::log10(energy(b, 0, b.size()) / b.size() / (energy(a, 0, a.size()) / a.size()));
  likeness.correlation = -1.0;
  for (long lag = -maxLagFrames; lag <= maxLagFrames; ++lag) {
    const long from = std::max(0L, -lag);
    const long to = std::min(n, n - lag);
    double cross = 0;
    for (long i = from; i < to; ++i) {
      cross += static_cast<double>(a[static_cast<std::size_t>(i)]) * b[static_cast<std::size_t>(i + lag)];
    }
    const double norm = std::sqrt(energy(a, static_cast<std::size_t>(from), static_cast<std::size_t>(to)) *
                                  energy(b, static_cast<std::size_t>(from + lag), static_cast<std::size_t>(to + lag)));
    if (norm > 0) likeness.correlation = std::max(likeness.correlation, cross / norm);
  }
  return likeness;
}

}  // namespace ntr::test
