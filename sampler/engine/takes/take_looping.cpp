// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/takes/take_looping.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <stdexcept>

#include "engine/takes/take_analysis.h"
#include "engine/takes/take_finishing.h"
#include "quendal/unity_note.h"
#include "quendal/wav.h"

namespace ntr {

namespace {

using Channels = std::vector<std::vector<double>>;

std::string Rounded(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// The level (dB, all channels) of each block of the first `frames` frames,
// each over the kLevelBlocks around it: an ensemble's or a pad's beating
// is no fall.
constexpr std::size_t kLevelBlocks = 21;
std::vector<double> BlockLevels(const Channels& x, std::size_t frames, std::size_t block) {
  std::vector<double> power;
  for (std::size_t from = 0; from + block <= frames; from += block) {
    double energy = 0.0;
    for (const std::vector<double>& channel : x) {
      for (std::size_t i = from; i < from + block; ++i) energy += channel[i] * channel[i];
    }
    power.push_back(energy / static_cast<double>(block * x.size()));
  }
  std::vector<double> levels(power.size());
  for (std::size_t b = 0; b < power.size(); ++b) {
    const std::size_t from = b > kLevelBlocks / 2 ? b - kLevelBlocks / 2 : 0;
    const std::size_t to = std::min(power.size(), b + kLevelBlocks / 2 + 1);
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i) sum += power[i];
    levels[b] = 10.0 * std::log10(sum / static_cast<double>(to - from) + 1e-30);
  }
  return levels;
}

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2), values.end());
  return values[values.size() / 2];
}

// The slope (per block) of the least-squares line through levels[first..end).
double Slope(const std::vector<double>& levels, std::size_t first, std::size_t end) {
  const double n = static_cast<double>(end - first);
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (std::size_t i = first; i < end; ++i) {
    const double t = static_cast<double>(i - first);
    sx += t, sy += levels[i], sxx += t * t, sxy += t * levels[i];
  }
  const double d = n * sxx - sx * sx;
  return d > 0 ? (n * sxy - sx * sy) / d : 0.0;
}

// The period (frames, to a fraction) of the sound at x[from..], by the
// cumulative mean normalised difference; none when it has no clear pitch.
std::optional<double> PeriodAt(const std::vector<double>& x, std::size_t from, std::size_t window, std::size_t minLag,
                               std::size_t maxLag) {
  std::vector<double> d(maxLag + 2, 0.0);
  for (std::size_t lag = 1; lag <= maxLag + 1; ++lag) {
    double sum = 0.0;
    for (std::size_t i = from; i < from + window; ++i) {
      const double diff = x[i] - x[i + lag];
      sum += diff * diff;
    }
    d[lag] = sum;
  }
  std::vector<double> normalised(maxLag + 2, 1.0);
  double running = 0.0;
  for (std::size_t lag = 1; lag <= maxLag + 1; ++lag) {
    running += d[lag];
    normalised[lag] = running > 0 ? d[lag] * static_cast<double>(lag) / running : 1.0;
  }
  std::optional<std::size_t> best;
  for (std::size_t lag = minLag; lag <= maxLag; ++lag) {
    if (normalised[lag] < 0.1) {
      while (lag + 1 <= maxLag && normalised[lag + 1] < normalised[lag]) ++lag;
      best = lag;
      break;
    }
  }
  if (!best) {
    const auto lowest = std::min_element(normalised.begin() + static_cast<std::ptrdiff_t>(minLag),
                                         normalised.begin() + static_cast<std::ptrdiff_t>(maxLag + 1));
    if (*lowest >= 0.25) return std::nullopt;
    best = static_cast<std::size_t>(lowest - normalised.begin());
  }
  const std::size_t lag = *best;
  const double a = d[lag - 1], b = d[lag], c = d[lag + 1];
  const double bend = a - 2 * b + c;
  const double shift = bend > 0 ? std::clamp(0.5 * (a - c) / bend, -0.5, 0.5) : 0.0;
  return static_cast<double>(lag) + shift;
}

// How unlike the waveform around `start` and around `start + length` are
// (0: identical, value and slope), over `half` frames on either side.
double Mismatch(const Channels& x, std::size_t start, std::size_t length, std::size_t half) {
  double difference = 0.0, energy = 0.0;
  for (const std::vector<double>& channel : x) {
    for (std::size_t i = start - half; i < start + half; ++i) {
      const double a = channel[i], b = channel[i + length];
      difference += (a - b) * (a - b);
      energy += a * a + b * b;
    }
  }
  return energy > 0 ? difference / energy : 0.0;
}

}  // namespace

LoopSearch FindLoop(const Channels& channels, int sampleRate, std::size_t noteOffFrame, std::size_t crossfadeFrames) {
  if (channels.empty()) return {std::nullopt, "the take has no channels"};
  const auto rate = static_cast<std::size_t>(sampleRate);
  const std::size_t block = std::max<std::size_t>(1, rate / 100);
  const std::size_t shortest = static_cast<std::size_t>(kShortestLoopSeconds * sampleRate);
  const std::size_t released = std::min(noteOffFrame, channels.front().size());
  if (released < shortest + 2 * block) return {std::nullopt, "the key is held too briefly for a loop"};

  // The held part, a block short of note-off, in blocks of 10 ms.
  const std::vector<double> levels = BlockLevels(channels, released - block, block);
  const std::size_t blocks = levels.size();
  const double peak = *std::max_element(levels.begin(), levels.end());
  if (peak < -100.0) return {std::nullopt, "the take is silent while the key is held"};

  // The steady part: the longest stretch where the level stays near the one
  // the note holds over the second half of its hold, from half a level window
  // in (the attack has settled).
  const std::size_t lastHalf = std::max<std::size_t>(1, blocks / 2);
  const double held = Median(std::vector<double>(levels.end() - static_cast<std::ptrdiff_t>(lastHalf), levels.end()));
  std::size_t first = blocks, last = blocks;  // the longest run of blocks near the held level
  for (std::size_t from = 0; from < blocks;) {
    std::size_t to = from;
    while (to < blocks && std::fabs(levels[to] - held) <= kSteadyToleranceDb) ++to;
    if (to > from && (first == blocks || to - from > last - first)) first = from, last = to;
    from = std::max(to, from + 1);
  }
  first = std::min(first + kLevelBlocks / 2, last);
  const double driftPerSecond = Slope(levels, first, last) * 100.0;
  const std::size_t steadyFrom = first * block;
  const std::size_t steadyTo = last * block;
  const double drift = std::fabs(driftPerSecond) * static_cast<double>(steadyTo - steadyFrom) / sampleRate;
  const bool drifts = std::fabs(driftPerSecond) > kSteadiestDriftDbPerSecond || drift > kMostDriftDb;
  if (steadyTo - steadyFrom < shortest + 2 * block || drifts) {
    const double fall = peak - held;
    if (fall > kSteadyToleranceDb) {
      return {std::nullopt, "the level falls " + Rounded(fall, 1) + " dB while the key is held (no steady part)"};
    }
    if (drifts) {
      return {std::nullopt,
              "the level drifts " + Rounded(driftPerSecond, 1) + " dB/s while the key is held (no steady part)"};
    }
    return {std::nullopt, "the steady part lasts " +
                              Rounded(static_cast<double>(steadyTo - steadyFrom) * 1000.0 / sampleRate, 0) +
                              " ms, less than the " + Rounded(kShortestLoopSeconds * 1000.0, 0) + " ms a loop needs"};
  }

  // The pitch, from the middle of the steady part.
  const std::size_t minLag = std::max<std::size_t>(2, rate / 2000);
  const std::size_t maxLag = rate / 40;
  const std::size_t window = rate / 20;
  std::optional<double> period;
  if (steadyTo - steadyFrom > window + maxLag + 2) {
    period = PeriodAt(channels.front(), steadyFrom + (steadyTo - steadyFrom - window - maxLag - 2) / 2, window, minLag,
                      maxLag);
  }

  // The loop as long as the steady part allows, then its length (a whole
  // number of periods) and its start placed where the waveforms match.
  const std::size_t half =
      period ? std::clamp<std::size_t>(static_cast<std::size_t>(*period), 16, rate / 200) : rate / 400;
  const std::size_t startSpan = period ? static_cast<std::size_t>(std::ceil(*period)) : rate / 200;
  const std::size_t earliest = steadyFrom + std::max(half, crossfadeFrames + kLoopGuardFrames);
  const std::size_t after = std::max(half, std::size_t{kLoopGuardFrames} + crossfadeFrames);
  const std::size_t room = steadyTo > after ? steadyTo - after : 0;
  if (room < earliest + startSpan + shortest) {
    return {std::nullopt, "the steady part is too short for a loop and its crossfade"};
  }
  const std::size_t longest = room - earliest - startSpan;
  std::size_t nominal = longest;
  std::size_t reach = rate / 500;
  if (period) {
    reach = std::min<std::size_t>(static_cast<std::size_t>(std::ceil(static_cast<double>(longest) * 3e-4)) + 1,
                                  static_cast<std::size_t>(*period / 4) + 1);
    const double periods = std::floor(static_cast<double>(longest - reach) / *period);
    nominal = static_cast<std::size_t>(std::llround(periods * *period));
  } else {
    nominal -= reach;
  }
  std::size_t length = nominal;
  double best = std::numeric_limits<double>::infinity();
  for (std::size_t candidate = nominal - std::min(nominal, reach); candidate <= nominal + reach; ++candidate) {
    if (candidate < shortest) continue;
    const double mismatch = Mismatch(channels, earliest, candidate, half);
    // Of equal matches, the one nearest the whole number of periods.
    const auto away = [nominal](std::size_t l) { return l > nominal ? l - nominal : nominal - l; };
    if (mismatch < best - 1e-12 || (mismatch <= best + 1e-12 && away(candidate) < away(length))) {
      best = mismatch;
      length = candidate;
    }
  }
  std::size_t start = earliest;
  best = std::numeric_limits<double>::infinity();
  for (std::size_t candidate = earliest; candidate < earliest + startSpan; ++candidate) {
    const double mismatch = Mismatch(channels, candidate, length, half);
    if (mismatch < best) {
      best = mismatch;
      start = candidate;
    }
  }
  return {LoopSpan{start, start + length, period}, {}};
}

namespace {

// The wrap as a player plays it: the step from the loop's last frame to its
// first against the movement of the 10 ms on either side (whole periods of a
// pitched sound, so the levels compare like with like), and the level after
// the loop start against the level before the loop end.
void MeasureWrap(const Channels& y, const LoopSpan& span, int sampleRate, TakeLoop& loop) {
  const std::size_t start = span.start, end = span.end;
  std::size_t side = static_cast<std::size_t>(sampleRate / 100);
  if (span.periodFrames) {
    side = static_cast<std::size_t>(std::llround(std::ceil(side / *span.periodFrames) * *span.periodFrames));
  }
  side = std::min(side, (end - start) / 2);
  double before = 0.0, after = 0.0;
  for (const std::vector<double>& x : y) {
    std::vector<double> moves;
    double peak = 0.0;
    for (std::size_t i = 1; i < side; ++i) {
      moves.push_back(std::fabs(x[end - side + i] - x[end - side + i - 1]));
      moves.push_back(std::fabs(x[start + i] - x[start + i - 1]));
    }
    for (std::size_t i = 0; i < side; ++i) {
      peak = std::max({peak, std::fabs(x[end - side + i]), std::fabs(x[start + i])});
      before += x[end - side + i] * x[end - side + i];
      after += x[start + i] * x[start + i];
    }
    const double step = std::fabs(x[start] - x[end - 1]);
    const double median = moves.empty() ? 0.0 : Median(moves);
    loop.wrapStep = std::max(loop.wrapStep,
                             median > 0 ? step / median : (step > 0 ? std::numeric_limits<double>::infinity() : 0.0));
    loop.wrapStepOfPeak = std::max(loop.wrapStepOfPeak, peak > 0 ? step / peak : 0.0);
  }
  loop.levelDifferenceDb = 10.0 * std::log10((after + 1e-30) / (before + 1e-30));
}

Channels ChannelsOf(const TakeSamples& take) {
  Channels channels(take.channels, std::vector<double>(take.Frames(), 0.0));
  for (std::size_t frame = 0; frame < take.Frames(); ++frame) {
    for (std::size_t c = 0; c < take.channels; ++c) {
      bool atFullScale = false;
      channels[c][frame] = take.At(frame, c, atFullScale);
    }
  }
  return channels;
}

// How alike two stretches are (0 unrelated or opposed, 1 identical in shape).
double Likeness(const Channels& y, std::size_t a, std::size_t b, std::size_t n) {
  double ab = 0, aa = 0, bb = 0;
  for (const std::vector<double>& x : y) {
    for (std::size_t i = 0; i < n; ++i) ab += x[a + i] * x[b + i], aa += x[a + i] * x[a + i], bb += x[b + i] * x[b + i];
  }
  return aa > 0 && bb > 0 ? std::clamp(ab / std::sqrt(aa * bb), 0.0, 1.0) : 0.0;
}

}  // namespace

TakeLoop LoopTake(quendal::Wav& wav, const std::string& file, const LoopSettings& settings, long long framesCut,
                  int note) {
  const TakeSamples take = SamplesOf(wav, file);
  const Channels channels = ChannelsOf(take);
  const long long noteOff = std::llround(settings.noteOffSeconds * take.sampleRate) - framesCut;
  std::size_t fade =
      static_cast<std::size_t>(std::llround(std::max(settings.crossfadeMs, 0) * take.sampleRate / 1000.0));
  const auto held = static_cast<std::size_t>(std::max(noteOff, 0LL));
  // A crossfade longer than the loop allows is shortened to fit it (below),
  // so the search leaves room for no more than an eighth of the held part.
  const LoopSearch search = FindLoop(channels, take.sampleRate, held, std::min(fade, held / 8));
  TakeLoop loop;
  if (!search.span) {
    loop.refusal = search.refusal;
    return loop;
  }
  const std::size_t start = search.span->start, end = search.span->end;
  fade = std::min({fade, (end - start - kLoopGuardFrames) / 2 - 1, start - kLoopGuardFrames,
                   take.Frames() - end - kLoopGuardFrames});

  // Before the loop end, the audio fades into what comes before the loop
  // start; after it, from what follows the loop start back into its own.
  const std::size_t bytes = take.coding.Bytes();
  const std::size_t frameBytes = take.FrameBytes();
  const std::string original(take.data);
  std::string looped = original;
  auto* out = reinterpret_cast<unsigned char*>(looped.data());
  const auto* in = reinterpret_cast<const unsigned char*>(original.data());
  const auto copyFrame = [&](std::size_t from, std::size_t to) {
    std::copy(in + from * frameBytes, in + (from + 1) * frameBytes, out + to * frameBytes);
  };
  const auto mix = [&](std::size_t own, std::size_t other, double ownGain, double otherGain, std::size_t to) {
    for (std::size_t c = 0; c < take.channels; ++c) {
      bool atFullScale = false;
      const double v = ownGain * DecodeSample(in + own * frameBytes + c * bytes, take.coding, atFullScale) +
                       otherGain * DecodeSample(in + other * frameBytes + c * bytes, take.coding, atFullScale);
      EncodeSample(static_cast<float>(v), take.coding, out + to * frameBytes + c * bytes);
    }
  };
  const std::size_t guard = kLoopGuardFrames;
  const auto gains = [](double t, double likeness) {
    const double theta = std::clamp(t, 0.0, 1.0) * std::numbers::pi / 2;
    const double own = std::cos(theta), other = std::sin(theta);
    const double norm = 1.0 / std::sqrt(1.0 + 2.0 * likeness * own * other);
    return std::pair{own * norm, other * norm};
  };
  const double likenessIn = fade > 0 ? Likeness(channels, end - fade - guard, start - fade - guard, fade) : 0.0;
  for (std::size_t i = 0; i < fade; ++i) {
    const auto [own, other] = gains(static_cast<double>(i + 1) / static_cast<double>(fade + 1), likenessIn);
    mix(end - fade - guard + i, start - fade - guard + i, own, other, end - fade - guard + i);
  }
  for (std::size_t i = 0; i < guard; ++i) {
    copyFrame(start - guard + i, end - guard + i);
    copyFrame(start + i, end + i);
  }
  const double likenessOut = fade > 0 ? Likeness(channels, end + guard, start + guard, fade) : 0.0;
  for (std::size_t i = 0; i < fade; ++i) {
    const auto [own, other] = gains(static_cast<double>(i + 1) / static_cast<double>(fade + 1), likenessOut);
    mix(start + guard + i, end + guard + i, own, other, end + guard + i);
  }
  wav.DataChunk->ChunkData = std::move(looped);

  if (wav.SmplChunk->ChunkId != "smpl") quendal::ApplyUnityNote(wav, note);
  quendal::WavSmpl& smpl = *wav.SmplChunk;
  smpl.WavSmplLoops->RemoveAll();
  smpl.WavSmplLoops->Add(0, 0, static_cast<int32_t>(start), static_cast<int32_t>(end - 1), 0, 0);
  smpl.SampleLoopsNumber = 1;
  smpl.ChunkSize = static_cast<int32_t>(36 + 24 + smpl.TrailingBytes.size());

  loop.found = true;
  loop.start = start;
  loop.end = end - 1;
  MeasureWrap(ChannelsOf(SamplesOf(wav, file)), *search.span, take.sampleRate, loop);
  return loop;
}

// The finishing step, when the run loops its takes.
void LoopStep(TakeBeingFinished& take) {
  if (!take.request.loop) return;
  take.loop = LoopTake(take.wav, take.file, *take.request.loop, take.framesCut, take.request.note);
  if (take.loop->found) take.changed = true;
}

}  // namespace ntr
