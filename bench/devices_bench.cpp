// SPDX-License-Identifier: GPL-3.0-or-later
// The device layer's costs: the built-in synthesizer's rendering speed, as
// seconds of audio per second of wall time, and converting one second of a
// captured take (channels, libsoxr rate conversion, quantisation) to each
// recording format.
// Usage: devices_bench [google benchmark flags]

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "devices/synth/builtin_synth.h"
#include "devices/takes/take_conversion.h"
#include "engine/events/midi_messages.h"
#include "engine/ports.h"

namespace {

class BenchClock : public ntr::ClockPort {
 public:
  double Now() override { return now; }
  void Yield() override {}
  void WaitUntil(double deadline) override { now = deadline; }
  double now = 0;
};

// One take of `notes` notes held 1 s and released for 0.5 s, rendered in step
// with the clock as a run renders it.
void BM_BuiltInSynthTake(benchmark::State& state) {
  const auto notes = static_cast<int>(state.range(0));
  BenchClock clock;
  ntr::BuiltInSynth synth(clock);
  synth.Open();
  double audioSeconds = 0;
  for (auto _ : state) {
    synth.BeginTake();
    for (int n = 0; n < notes; ++n) synth.Apply(ntr::midi::NoteOn(0, 60 + 4 * n, 100));
    clock.now += 1.0;
    for (int n = 0; n < notes; ++n) synth.Apply(ntr::midi::NoteOff(0, 60 + 4 * n));
    clock.now += 0.5;
    const ntr::RecordedTake take = synth.EndTake();
    benchmark::DoNotOptimize(take.samples.data());
    audioSeconds += 1.5;
  }
  state.counters["audio_s_per_s"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}

// Opening the built-in synthesizer, as every run does: a fresh synthesizer
// with the SoundFont (the first open, outside the loop, reads the file).
void BM_BuiltInSynthOpen(benchmark::State& state) {
  BenchClock clock;
  ntr::BuiltInSynth synth(clock);
  synth.Open();
  for (auto _ : state) synth.Open();
}

std::vector<float> CapturedSecond(int rate, int channels) {
  std::vector<float> samples(static_cast<std::size_t>(rate * channels));
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const double t = static_cast<double>(i / static_cast<std::size_t>(channels)) / rate;
    samples[i] = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * 440.0 * t));
  }
  return samples;
}

// One second of a stereo take captured at `source` Hz to {rate, bits, channels}:
// the time per iteration is the cost per second of audio.
void BM_ConvertOneSecond(benchmark::State& state) {
  const auto source = static_cast<int>(state.range(0));
  const ntr::RecordingFormat format{static_cast<int>(state.range(1)), static_cast<int>(state.range(2)),
                                    static_cast<int>(state.range(3))};
  const ntr::RecordedTake take{CapturedSecond(source, 2), source, 2};
  for (auto _ : state) {
    const std::string bytes = ntr::ConvertTake(take, format);
    benchmark::DoNotOptimize(bytes.data());
  }
}

}  // namespace

BENCHMARK(BM_BuiltInSynthTake)->ArgName("notes")->Arg(1)->Arg(8)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuiltInSynthOpen)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertOneSecond)
    ->ArgNames({"from", "rate", "bits", "ch"})
    ->Args({44100, 44100, 16, 2})
    ->Args({44100, 22050, 16, 2})
    ->Args({44100, 11025, 8, 1})
    ->Args({48000, 44100, 16, 2})
    ->Args({48000, 22050, 16, 1})
    ->Args({48000, 11025, 8, 2})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
