// SPDX-License-Identifier: GPL-3.0-or-later
// The check a resumed run makes before it plays: which of its takes are made
// already (TakesAlreadyMade). A folder of takes is laid out as a stopped run
// leaves it (programs x notes, tagged with their unity note), then the check
// over all of them is timed, a few rounds, with the files in the page cache
// as they are right after the run that made them.
//
// Usage: resume_check_bench [--programs N] [--take-ms MS] [--rounds N] [--folder DIR]
// Defaults: 125 programs x 128 notes = 16,000 takes of 100 ms, stereo,
// 44.1 kHz, 16 bits; 5 rounds; a new folder under the system's temporary
// folder, removed afterwards (a given --folder is kept, and reused when its
// takes are there).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/events/note_names.h"
#include "engine/takes/sample_paths.h"
#include "engine/run/work_left.h"
#include "quendal/pcm_wav.h"
#include "quendal/unity_note.h"
#include "quendal/wav.h"

namespace ntr::bench {
namespace {

namespace fs = std::filesystem;

struct Options {
  int programs = 125;
  int takeMs = 100;
  int rounds = 5;
  std::string folder;
};

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const std::string value = argv[i + 1];
    if (name == "--programs") {
      o.programs = std::atoi(value.c_str());
    } else if (name == "--take-ms") {
      o.takeMs = std::atoi(value.c_str());
    } else if (name == "--rounds") {
      o.rounds = std::atoi(value.c_str());
    } else if (name == "--folder") {
      o.folder = value;
    } else {
      std::fprintf(stderr, "resume_check_bench: unknown option %s\n", name.c_str());
      std::exit(2);
    }
  }
  return o;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One tagged take per note, written once and copied into every program
// folder: the files a run with the unity note embedded leaves.
void LayOutTakes(const RunEvents& events, int takeMs) {
  const RecordingFormat& f = events.format;
  const std::size_t frames = static_cast<std::size_t>(f.samplesPerSec) * static_cast<std::size_t>(takeMs) / 1000;
  std::string samples(frames * static_cast<std::size_t>(f.channels * f.bitsPerSample / 8), '\0');
  std::mt19937 noise(1);
  for (char& byte : samples) byte = static_cast<char>(noise() & 0xFF);
  const fs::path models = PathFromUtf8(events.instrumentPath) / "models";
  fs::create_directories(models);
  for (const std::string& tag : events.passTags)
    fs::create_directories(PathFromUtf8(ProgramFolder(events.instrumentPath, tag)));
  for (const EventRow& row : events.rows) {
    const std::string model = Utf8FromPath(models / (row.Number + ".wav"));
    auto wav = quendal::MakePcmWav({f.samplesPerSec, f.bitsPerSample, f.channels}, samples);
    quendal::ApplyUnityNote(*wav, std::atoi(row.Number.c_str()));
    wav->PutWavFile(model, true);
    for (const std::string& tag : events.passTags) {
      fs::copy_file(PathFromUtf8(model), PathFromUtf8(TargetFile(events.instrumentPath, tag, TakeName(row))),
                    fs::copy_options::overwrite_existing);
    }
  }
}

int Run(const Options& o) {
  const bool ownFolder = o.folder.empty();
  const fs::path folder =
      ownFolder ? fs::temp_directory_path() / ("ntr-resume-bench-" + std::to_string(std::random_device{}()))
                : fs::path(o.folder);
  std::vector<EventRow> rows;
  for (int note = 0; note < 128; ++note) {
    rows.push_back(EventRow{NoteName(note), "100", "1", std::to_string(o.takeMs), "0", std::to_string(note)});
  }
  std::vector<std::string> tags;
  for (int program = 0; program < o.programs; ++program) tags.push_back(ProgramTag(program));
  const RunEvents events{rows, tags, Utf8FromPath(folder / "Bench"), RecordingFormat{44100, 16, 2}, true};
  const std::size_t total = rows.size() * tags.size();

  auto start = std::chrono::steady_clock::now();
  if (ownFolder || TakesAlreadyMade(events).size() != total) LayOutTakes(events, o.takeMs);
  std::printf("%zu takes of %d ms laid out in %.2f s under %s\n", total, o.takeMs, SecondsSince(start),
              folder.string().c_str());

  std::vector<double> seconds;
  for (int round = 0; round < o.rounds; ++round) {
    start = std::chrono::steady_clock::now();
    const std::size_t made = TakesAlreadyMade(events).size();
    seconds.push_back(SecondsSince(start));
    std::printf("round %d: %zu of %zu takes made, checked in %.3f s\n", round + 1, made, total, seconds.back());
    if (made != total) {
      std::fprintf(stderr, "resume_check_bench: the check missed takes that are there\n");
      return 1;
    }
  }
  std::sort(seconds.begin(), seconds.end());
  std::printf("resume check of %zu takes: median %.3f s, best %.3f s, worst %.3f s\n", total,
              seconds[seconds.size() / 2], seconds.front(), seconds.back());
  if (ownFolder) fs::remove_all(folder);
  return 0;
}

}  // namespace
}  // namespace ntr::bench

int main(int argc, char** argv) { return ntr::bench::Run(ntr::bench::ParseOptions(argc, argv)); }
