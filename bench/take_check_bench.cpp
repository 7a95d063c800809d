// SPDX-License-Identifier: GPL-3.0-or-later
// What checking a take costs the run: reading its WAV file back and measuring
// peak, RMS, onset and clipping (AnalyseTakeFile), for takes of 2.5 s (a
// 2 s note and 0.5 s of decay) in the formats a run records. The goal is
// under 5 ms per take. And the whole finishing pass between two takes
// (BM_FinishTake): it lies in the dead time between takes, so it should stay
// well under the 5 ms that the timing benchmark allows for all of it.
// Usage: take_check_bench [google benchmark flags]

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <numbers>
#include <string>

#include "devices/takes/wav_saving.h"
#include "engine/takes/take_analysis.h"
#include "engine/takes/take_finishing.h"

namespace {

// A decaying tone (440 Hz, or `hz` with three harmonics) after 10 ms of silence, as PCM bytes of the format.
std::string Take(const ntr::RecordingFormat& format, double seconds, double hz = 0.0) {
  const auto frames = static_cast<long>(seconds * format.samplesPerSec);
  std::string bytes;
  for (long i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / format.samplesPerSec;
    const double w = 2.0 * std::numbers::pi * (hz > 0.0 ? hz : 440.0) * t;
    const double tone = hz > 0.0 ? 0.5 * std::sin(w) + 0.3 * std::sin(2 * w) + 0.2 * std::sin(3 * w) : std::sin(w);
    const double v = t < 0.01 ? 0.0 : 0.5 * std::exp(-t) * tone;
    for (int c = 0; c < format.channels; ++c) {
      if (format.bitsPerSample == 8) {
        bytes += static_cast<char>(static_cast<unsigned char>(std::lround(128.0 + 127.0 * v)));
      } else {
        const auto s = static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(32767.0 * v)));
        bytes += static_cast<char>(s & 0xFF);
        bytes += static_cast<char>(s >> 8);
      }
    }
  }
  return bytes;
}

void BM_CheckTake(benchmark::State& state) {
  const ntr::RecordingFormat format{static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                                    static_cast<int>(state.range(2))};
  const std::string file =
      (std::filesystem::temp_directory_path() / ("ntr-take-check-bench-" + std::to_string(::getpid()) + ".wav"))
          .string();
  ntr::SavePcmWav(file, format, Take(format, 2.5));
  for (auto _ : state) {
    const ntr::TakeLevels levels = ntr::AnalyseTakeFile(file, -90.0);
    benchmark::DoNotOptimize(levels.peakDbfs);
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_CheckTake)
    ->Args({44100, 16, 2})
    ->Args({44100, 16, 1})
    ->Args({22050, 8, 1})
    ->Unit(benchmark::kMillisecond)
    ->ArgNames({"rate", "bits", "channels"});

// The whole finishing pass between two takes as a run with the new settings
// at their defaults makes it (measure, pitch, the unity note embedded), on the
// timing benchmark's takes: 500 ms + 250 ms, 44.1 kHz, 16 bits, stereo.
void BM_FinishTake(benchmark::State& state) {
  const ntr::RecordingFormat format{44100, 16, 2};
  const int note = static_cast<int>(state.range(0));
  const std::string file =
      (std::filesystem::temp_directory_path() / ("ntr-finish-bench-" + std::to_string(::getpid()) + ".wav")).string();
  const std::string take = Take(format, 0.75, 440.0 * std::pow(2.0, (note - 69) / 12.0));
  ntr::FinishingRequest request;
  request.note = note;
  request.embedNote = true;
  for (auto _ : state) {
    state.PauseTiming();
    ntr::SavePcmWav(file, format, take);
    state.ResumeTiming();
    const ntr::FinishedTake finished = ntr::FinishTake(file, request);
    benchmark::DoNotOptimize(finished.tagged);
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_FinishTake)->Arg(36)->Arg(60)->Arg(82)->Unit(benchmark::kMillisecond)->ArgNames({"note"});

}  // namespace

BENCHMARK_MAIN();
