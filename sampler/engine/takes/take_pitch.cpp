// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/takes/take_pitch.h"

#include <algorithm>
#include <cmath>

#include "engine/takes/autocorrelation.h"
#include "engine/takes/take_analysis.h"
#include "engine/takes/take_finishing.h"

namespace ntr {

namespace {

// Below this the strongest peak of the curve is no steady pitch.
constexpr double kLeastClarity = 0.8;
// The first peak this close to the strongest is the period. The octave below
// always peaks as high; a harmonic's lag stays below this share even where
// the second harmonic is two and a half times the fundamental, while a sound
// with some content an octave down (a soft piano layer) still reaches it.
constexpr double kPeakShare = 0.75;
// Refining stops where the curve's peak has fallen this low (beating, a sound that changes).
constexpr double kLeastRefinedPeak = 0.5;

// The normalised autocorrelation of the first n samples at `lag`: 1 where
// the signal repeats exactly after lag samples, whatever its level.
// Four sums side by side, so that the processor keeps four additions in flight.
double Curve(const std::vector<float>& x, std::size_t n, std::size_t lag) {
  constexpr std::size_t kLanes = 4;
  double product[kLanes] = {}, energy[kLanes] = {};
  const std::size_t count = n > lag ? n - lag : 0;
  const float* a = x.data();
  const float* b = x.data() + lag;
  std::size_t i = 0;
  for (; i + kLanes <= count; i += kLanes) {
    for (std::size_t k = 0; k < kLanes; ++k) {
      const double p = a[i + k], q = b[i + k];
      product[k] += p * q;
      energy[k] += p * p + q * q;
    }
  }
  for (; i < count; ++i) {
    const double p = a[i], q = b[i];
    product[0] += p * q;
    energy[0] += p * p + q * q;
  }
  const double productSum = (product[0] + product[1]) + (product[2] + product[3]);
  const double energySum = (energy[0] + energy[1]) + (energy[2] + energy[3]);
  return energySum > 0.0 ? 2.0 * productSum / energySum : 0.0;
}

// The offset (-0.5..0.5) of the top of the parabola through three equally spaced values.
double ParabolaTop(double before, double at, double after) {
  const double bend = before - 2.0 * at + after;
  return bend < 0.0 ? std::clamp(0.5 * (before - after) / bend, -0.5, 0.5) : 0.0;
}

// The period (samples) from the first strong peak of the curve over lags up to maxLag.
std::optional<double> CoarsePeriod(const std::vector<float>& x, std::size_t window, std::size_t minLag,
                                   std::size_t maxLag) {
  const std::vector<double> curve = NormalisedAutocorrelation(x, window, maxLag + 1);

  // The peaks of the positive lobes after the one around lag 0.
  std::vector<std::size_t> peaks;
  bool pastZeroLobe = false;
  std::optional<std::size_t> best;
  for (std::size_t lag = 1; lag <= maxLag; ++lag) {
    if (curve[lag] <= 0.0) {
      pastZeroLobe = true;
      if (best) peaks.push_back(*best);
      best.reset();
    } else if (pastZeroLobe && (!best || curve[lag] > curve[*best])) {
      best = lag;
    }
  }
  if (best) peaks.push_back(*best);
  std::erase_if(peaks, [&](std::size_t lag) { return lag < minLag || curve[lag] < curve[lag + 1]; });
  if (peaks.empty()) return std::nullopt;

  double highest = 0.0;
  for (const std::size_t lag : peaks) highest = std::max(highest, curve[lag]);
  if (highest < kLeastClarity) return std::nullopt;
  const std::size_t lag =
      *std::find_if(peaks.begin(), peaks.end(), [&](std::size_t at) { return curve[at] >= kPeakShare * highest; });
  return static_cast<double>(lag) + ParabolaTop(curve[lag - 1], curve[lag], curve[lag + 1]);
}

// The period refined at 4, 16, 64... times itself while half the samples still
// overlap: the lag's error is shared out over the periods it spans. Steps of
// four do half the work of steps of two, and each climb still starts on the
// slope of its own peak.
double RefinedPeriod(const std::vector<float>& x, double period) {
  const std::size_t n = x.size();
  for (double times = 4.0;; times *= 4.0) {
    const double target = times * period;
    if (target + 2.0 > static_cast<double>(n) / 2.0) break;
    auto lag = static_cast<std::size_t>(std::lround(target));
    double here = Curve(x, n, lag);
    double before = Curve(x, n, lag - 1), after = Curve(x, n, lag + 1);
    for (int step = 0; step < 64 && (before > here || after > here); ++step) {
      if (after > before) {
        ++lag;
        before = here;
        here = after;
        after = Curve(x, n, lag + 1);
      } else {
        --lag;
        after = here;
        here = before;
        before = Curve(x, n, lag - 1);
      }
    }
    if (here < kLeastRefinedPeak) break;
    period = (static_cast<double>(lag) + ParabolaTop(before, here, after)) / times;
  }
  return period;
}

// The samples through two one-pole low-passes at `hz`: the coarse curve then
// follows the lower partials, whose peaks are wide enough to be found at
// whole lags even where a period is only a dozen samples long.
std::vector<float> Smoothed(const std::vector<float>& x, std::size_t n, int sampleRate, double hz) {
  const double share = 1.0 - std::exp(-2.0 * M_PI * hz / sampleRate);
  std::vector<float> smoothed(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n));
  for (int pass = 0; pass < 2; ++pass) {
    double state = 0.0;
    for (float& sample : smoothed) sample = static_cast<float>(state += share * (sample - state));
  }
  return smoothed;
}

}  // namespace

double NoteHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

std::optional<double> FundamentalHz(const std::vector<float>& samples, int sampleRate, double loHz, double hiHz) {
  if (sampleRate <= 0 || loHz <= 0.0 || hiHz <= loHz) return std::nullopt;
  const std::size_t minLag = std::max<std::size_t>(2, static_cast<std::size_t>(sampleRate / hiHz));
  const auto maxLag = static_cast<std::size_t>(std::ceil(sampleRate / loHz)) + 1;
  if (samples.size() < 2 * maxLag + 2 || minLag >= maxLag) return std::nullopt;
  // The coarse curve over a window that holds the longest period twice: enough to find it, and cheap.
  const std::size_t window = std::min(samples.size(), 2 * maxLag + 1024);
  const std::optional<double> period =
      CoarsePeriod(Smoothed(samples, window, sampleRate, hiHz), window, minLag, maxLag);
  if (!period) return std::nullopt;
  return sampleRate / RefinedPeriod(samples, *period);
}

std::optional<double> CentsFromNote(const std::vector<float>& samples, int sampleRate, int note) {
  const double hz = NoteHz(note);
  const double range = std::pow(2.0, 14.0 / 12.0);
  const std::optional<double> found = FundamentalHz(samples, sampleRate, hz / range, hz * range);
  if (!found) return std::nullopt;
  return 1200.0 * std::log2(*found / hz);
}

namespace {

// The channels' mean, frame by frame.
std::vector<float> MonoOf(const TakeSamples& take) {
  return WithFixedCoding(take.coding, [&take](auto fixed) {
    std::vector<float> mono(take.Frames());
    for (std::size_t frame = 0; frame < mono.size(); ++frame) {
      double sum = 0.0;
      for (std::size_t c = 0; c < take.channels; ++c) {
        bool atFullScale = false;
        sum += take.At(frame, c, atFullScale, fixed);
      }
      mono[frame] = static_cast<float>(sum / static_cast<double>(take.channels));
    }
    return mono;
  });
}

}  // namespace

std::vector<float> HeldPart(const TakeSamples& take) {
  const std::size_t block = std::max<std::size_t>(1, static_cast<std::size_t>(take.sampleRate) / 100);  // 10 ms
  const std::vector<float> mono = MonoOf(take);
  const std::size_t frames = mono.size();
  std::vector<double> energy(frames / block);
  for (std::size_t b = 0; b < energy.size(); ++b) {
    for (std::size_t i = b * block; i < (b + 1) * block; ++i) energy[b] += static_cast<double>(mono[i]) * mono[i];
  }
  if (energy.empty()) return {};
  const double loudest = *std::max_element(energy.begin(), energy.end());
  const double least = loudest * 1e-3;  // 30 dB below the loudest block
  // From 20 ms after the sound first comes within 6 dB of its loudest: past the attack.
  const auto rise = static_cast<std::size_t>(
      std::find_if(energy.begin(), energy.end(), [&](double e) { return e >= loudest / 4.0; }) - energy.begin());
  const std::size_t first = std::min(rise + 2, energy.size());
  std::size_t last = first;
  while (last < energy.size() && energy[last] >= least && last - first < 100) ++last;
  return {mono.begin() + static_cast<std::ptrdiff_t>(first * block),
          mono.begin() + static_cast<std::ptrdiff_t>(last * block)};
}

SmplPitch SmplPitchOf(int note, double cents) {
  const double semitones = note + cents / 100.0;
  const double below = std::floor(semitones);
  const double fraction = std::min(std::round((semitones - below) * 4294967296.0), 4294967295.0);
  return {static_cast<int>(below), static_cast<std::int32_t>(static_cast<std::uint32_t>(fraction))};
}

KeyPitch KeyPitchOf(int unityNote, std::int32_t fraction) {
  const double above = static_cast<std::uint32_t>(fraction) / 4294967296.0;
  return above > 0.5 ? KeyPitch{unityNote + 1, (above - 1.0) * 100.0} : KeyPitch{unityNote, above * 100.0};
}

// The finishing step: measures, changes nothing in the take.
void PitchStep(TakeBeingFinished& take) {
  if (!take.levels) return;
  const TakeSamples samples = SamplesOf(take.wav, take.file);
  take.levels->pitchCents = CentsFromNote(HeldPart(samples), samples.sampleRate, take.request.note);
}

}  // namespace ntr
