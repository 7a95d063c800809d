// SPDX-License-Identifier: GPL-3.0-or-later
// What checking a take costs the run: reading its WAV file back and measuring
// peak, RMS, onset and clipping (AnalyseTakeFile), for takes of 2.5 s (a
// 2 s note and 0.5 s of decay) in the formats a run records. The goal is
// under 5 ms per take.
// Usage: take_check_bench [google benchmark flags]

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <unistd.h>
#include <numbers>
#include <string>

#include "devices/takes/wav_saving.h"
#include "engine/takes/take_analysis.h"

namespace {

// A decaying 440 Hz tone after 10 ms of silence, as PCM bytes of the format.
std::string Take(const ntr::RecordingFormat& format, double seconds) {
  const auto frames = static_cast<long>(seconds * format.samplesPerSec);
  std::string bytes;
  for (long i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / format.samplesPerSec;
    const double v = t < 0.01 ? 0.0 : 0.5 * std::exp(-t) * std::sin(2.0 * std::numbers::pi * 440.0 * t);
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

}  // namespace

BENCHMARK_MAIN();
