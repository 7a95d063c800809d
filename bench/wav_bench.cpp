// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing a WAV file with a large data chunk: QuendalWav against
// libsndfile's raw reads and writes and against plain fread/fwrite of the same
// bytes, measured in one run. Prints the time ratios at the end.
// Usage: wav_bench [--sizes=256] [--rounds=9] [google benchmark flags]

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "quendal/pcm_wav.h"

namespace {

namespace fs = std::filesystem;
constexpr int64_t kMiB = 1024 * 1024;
constexpr int kChannels = 2, kRate = 44100;

fs::path Folder() {
  static const fs::path folder = [] {
    const char* chosen = std::getenv("WAV_BENCH_DIR");
    fs::path path = chosen ? fs::path(chosen) : fs::temp_directory_path() / "quendalwav-bench";
    fs::create_directories(path);
    return path;
  }();
  return folder;
}

fs::path SourceFile(int64_t mib) { return Folder() / ("source-" + std::to_string(mib) + "MiB.wav"); }
fs::path TargetFile(const char* who) { return Folder() / (std::string("target-") + who + ".wav"); }

// The samples every writer writes, made once per size and kept for the whole
// run, so that no round makes and frees hundreds of megabytes between timings.
const std::string& SampleBytes(int64_t bytes) {
  static std::map<int64_t, std::string> made;
  std::string& data = made[bytes];
  if (data.empty()) {
    data.assign(static_cast<std::size_t>(bytes), '\0');
    std::mt19937 random(7);
    for (std::size_t i = 0; i + 4 <= data.size(); i += 4) {
      const uint32_t v = random();
      std::memcpy(&data[i], &v, 4);
    }
  }
  return data;
}

// A canonical 16-bit stereo take (a 44-byte header), made by the library,
// flushed to the disk and read once, so that no reader pays for its writeback
// or for a cold cache.
void MakeSource(int64_t mib) {
  const fs::path path = SourceFile(mib);
  if (!fs::exists(path) || fs::file_size(path) != static_cast<uintmax_t>(mib * kMiB + 44)) {
    quendal::SavePcmWav(path.string(), {kRate, 16, kChannels}, SampleBytes(mib * kMiB));
  }
  const int fd = ::open(path.string().c_str(), O_RDONLY);
  ::fsync(fd);
  std::vector<char> buffer(static_cast<std::size_t>(kMiB));
  while (::read(fd, buffer.data(), buffer.size()) > 0) {
  }
  ::close(fd);
}

// The source's header bytes, which the plain fwrite writes before the samples.
std::string SourceHeader(int64_t mib) {
  std::string header(44, '\0');
  std::FILE* file = std::fopen(SourceFile(mib).string().c_str(), "rb");
  if (file == nullptr || std::fread(header.data(), 1, header.size(), file) != header.size()) header.clear();
  if (file != nullptr) std::fclose(file);
  return header;
}

// Outside the timing, before every iteration: the disk catches up with what
// earlier writes left for it, so that no benchmark pays for another's
// writeback; and a write's target from the iteration before is removed, so
// that every write makes a new file, as a take is, and no writer pays for
// freeing the old one.
void Settle(benchmark::State& state, const std::string& target = {}) {
  state.PauseTiming();
  std::error_code ignored;
  if (!target.empty()) fs::remove(target, ignored);
  ::sync();
  state.ResumeTiming();
}

// ---- reading ------------------------------------------------------------

void QuendalRead(benchmark::State& state) {
  const std::string path = SourceFile(state.range(0)).string();
  for (auto _ : state) {
    Settle(state);
    quendal::Wav wav;
    if (wav.GetWavFile(path) != 0) state.SkipWithError("not read");
    benchmark::DoNotOptimize(wav.DataChunk->ChunkData.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0) * kMiB);
}

void SndfileRawRead(benchmark::State& state) {
  const std::string path = SourceFile(state.range(0)).string();
  const int64_t bytes = state.range(0) * kMiB;
  for (auto _ : state) {
    Settle(state);
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    std::unique_ptr<char[]> data(new char[static_cast<std::size_t>(bytes)]);
    if (sf_read_raw(file, data.get(), bytes) != bytes) state.SkipWithError("short read");
    sf_close(file);
    benchmark::DoNotOptimize(data.get());
  }
  state.SetBytesProcessed(state.iterations() * bytes);
}

void PlainFread(benchmark::State& state) {
  const std::string path = SourceFile(state.range(0)).string();
  const int64_t bytes = state.range(0) * kMiB;
  for (auto _ : state) {
    Settle(state);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    char header[44];
    std::unique_ptr<char[]> data(new char[static_cast<std::size_t>(bytes)]);
    if (std::fread(header, 1, 44, file) != 44 || std::fread(data.get(), 1, static_cast<std::size_t>(bytes), file) != static_cast<std::size_t>(bytes)) {
      state.SkipWithError("short read");
    }
    std::fclose(file);
    benchmark::DoNotOptimize(data.get());
  }
  state.SetBytesProcessed(state.iterations() * bytes);
}

// ---- writing ------------------------------------------------------------


void QuendalWrite(benchmark::State& state) {
  quendal::Wav wav;
  wav.GetWavFile(SourceFile(state.range(0)).string());
  const std::string path = TargetFile("quendal").string();
  for (auto _ : state) {
    Settle(state, path);
    if (wav.PutWavFile(path, true) != 0) state.SkipWithError("not written");
  }
  state.SetBytesProcessed(state.iterations() * state.range(0) * kMiB);
}

void SndfileRawWrite(benchmark::State& state) {
  const int64_t bytes = state.range(0) * kMiB;
  const std::string& data = SampleBytes(bytes);
  const std::string path = TargetFile("sndfile").string();
  for (auto _ : state) {
    Settle(state, path);
    SF_INFO info{};
    info.samplerate = kRate, info.channels = kChannels, info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (sf_write_raw(file, data.data(), bytes) != bytes) state.SkipWithError("short write");
    sf_close(file);
  }
  state.SetBytesProcessed(state.iterations() * bytes);
}

void PlainFwrite(benchmark::State& state) {
  const int64_t bytes = state.range(0) * kMiB;
  const std::string& data = SampleBytes(bytes);
  const std::string header = SourceHeader(state.range(0));
  const std::string path = TargetFile("fwrite").string();
  for (auto _ : state) {
    Settle(state, path);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(header.data(), 1, header.size(), file);
    if (std::fwrite(data.data(), 1, data.size(), file) != data.size()) state.SkipWithError("short write");
    std::fclose(file);
  }
  state.SetBytesProcessed(state.iterations() * bytes);
}

// Collects every round's real time per iteration while printing as usual, and
// prints the median over the rounds of each round's ratio: the benchmarks of a
// round run one after another, so a slow spell of a shared machine weighs on
// both sides of a ratio alike.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      // A failed run keeps its round's place (as NaN), so that later rounds stay paired.
      if (run.run_type == Run::RT_Iteration) {
        times_[run.run_name.function_name + "/" + run.run_name.args].push_back(
            run.error_occurred ? std::nan("") : run.GetAdjustedRealTime());
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios(const std::vector<int64_t>& sizes) const {
    std::printf("\nRatios (QuendalWav time / other time; below 1 means QuendalWav is faster):\n"
                "median over the rounds [lowest - highest]\n");
    for (const int64_t mib : sizes) {
      const auto line = [&](const char* what, const char* ours, const char* peer, const char* plain) {
        std::printf("  %4lld MiB %s: vs libsndfile raw %s   vs plain %s\n", static_cast<long long>(mib), what,
                    Summary(mib, ours, peer).c_str(), Summary(mib, ours, plain).c_str());
      };
      line("read ", "QuendalRead", "SndfileRawRead", "PlainFread");
      line("write", "QuendalWrite", "SndfileRawWrite", "PlainFwrite");
    }
  }

 private:
  std::string Summary(int64_t mib, const char* ours, const char* other) const {
    const auto times = [&](const char* name) {
      const auto found = times_.find(std::string(name) + "/" + std::to_string(mib));
      return found == times_.end() ? std::vector<double>{} : found->second;
    };
    const std::vector<double> a = times(ours), b = times(other);
    std::vector<double> ratios;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
      if (b[i] > 0 && !std::isnan(a[i])) ratios.push_back(a[i] / b[i]);
    }
    if (ratios.empty()) return "n/a";
    std::sort(ratios.begin(), ratios.end());
    const std::size_t n = ratios.size();
    const double median = n % 2 == 1 ? ratios[n / 2] : (ratios[n / 2 - 1] + ratios[n / 2]) / 2;
    char text[64];
    std::snprintf(text, sizeof text, "%.2f [%.2f - %.2f]", median, ratios.front(), ratios.back());
    return text;
  }

  std::map<std::string, std::vector<double>> times_;
};

// Takes "--NAME=a,b,c" out of the arguments (Google Benchmark refuses flags it
// does not know) and returns its numbers, or `fallback` when it is not given.
std::vector<int64_t> TakeNumbers(int& argc, char** argv, const char* name, std::vector<int64_t> fallback) {
  const std::string prefix = std::string("--") + name + "=";
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) != 0) continue;
    std::vector<int64_t> numbers;
    for (const char* p = argv[i] + prefix.size(); *p != '\0';) {
      char* end = nullptr;
      const int64_t number = std::strtoll(p, &end, 10);
      if (end == p) break;
      numbers.push_back(number);
      p = *end == ',' ? end + 1 : end;
    }
    for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
    --argc;
    return numbers.empty() ? fallback : numbers;
  }
  return fallback;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<int64_t> sizes = TakeNumbers(argc, argv, "sizes", {256});
  const int64_t rounds = std::max<int64_t>(1, TakeNumbers(argc, argv, "rounds", {9}).front());
  benchmark::Initialize(&argc, argv);
  for (const int64_t mib : sizes) MakeSource(mib);
  // Round after round, each benchmark once, in the same order.
  for (int64_t round = 0; round < rounds; ++round) {
    for (const int64_t mib : sizes) {
      const int iterations = mib >= 256 ? 2 : 5;
      for (auto [name, function] : {std::pair{"QuendalRead", &QuendalRead}, {"SndfileRawRead", &SndfileRawRead},
                                    {"PlainFread", &PlainFread}, {"QuendalWrite", &QuendalWrite},
                                    {"SndfileRawWrite", &SndfileRawWrite}, {"PlainFwrite", &PlainFwrite}}) {
        benchmark::RegisterBenchmark(name, function)
            ->Arg(mib)
            ->Iterations(iterations)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
      }
    }
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios(sizes);
  std::error_code ignored;
  for (const char* who : {"quendal", "sndfile", "fwrite"}) fs::remove(TargetFile(who), ignored);
  if (std::getenv("WAV_BENCH_KEEP") == nullptr) fs::remove_all(Folder(), ignored);
  benchmark::Shutdown();
  return 0;
}
