// SPDX-License-Identifier: GPL-3.0-or-later
#include "instrument/take_scan.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <system_error>
#include <tuple>

#include "engine/takes/sample_paths.h"
#include "engine/takes/take_pitch.h"
#include "engine/takes/take_analysis.h"
#include "instrument/take_release.h"
#include "quendal/wav.h"

namespace ntr::instrument {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kProgramFolderPrefix = "PATCH_";

// Reads what the instrument files need of a take: its key and tuning (the
// unity note and pitch fraction of its sampler chunk, else the note of its
// name), its loop, its length and
// its release. Throws when it is no WAV file.
void ReadTake(Take& take) {
  quendal::Wav wav;
  if (wav.GetWavFile(take.path) != 0) throw std::runtime_error("not a WAV file");
  const quendal::WavSmpl& smpl = *wav.SmplChunk;
  if (smpl.ChunkId == "smpl") {
    const KeyPitch pitch = KeyPitchOf(smpl.MIDIUnityNote, smpl.MIDIPitchFraction);
    if (pitch.key >= 0 && pitch.key <= 127) take.key = pitch.key, take.pitchCents = pitch.cents;
    for (int32_t i = 1; i <= smpl.WavSmplLoops->Count(); ++i) {
      const quendal::WavSmplLoop& loop = *smpl.WavSmplLoops->Item(i);
      if (loop.LoopType == 0 && loop.LoopStart >= 0 && loop.LoopEnd > loop.LoopStart) {
        take.loop = SampleLoop{loop.LoopStart, loop.LoopEnd};
        break;
      }
    }
  }
  const TakeSamples samples = SamplesOf(wav, take.path);
  if (take.loop && static_cast<std::size_t>(take.loop->end) >= samples.Frames()) take.loop.reset();
  const TakeTiming timing =
      MeasureTiming(samples, take.loop ? std::optional<std::size_t>(take.loop->end + 1) : std::nullopt);
  take.seconds = timing.seconds;
  take.releaseSeconds = timing.releaseSeconds;
}

// A take without a velocity plays at every velocity; a velocity of 0 counts as 1.
int LayerOf(const Take& take) { return take.name.velocity ? std::max(*take.name.velocity, 1) : 0; }

void SortAndWeed(ProgramTakes& program, std::vector<std::string>& warnings) {
  const bool layered = std::any_of(program.takes.begin(), program.takes.end(),
                                   [](const Take& take) { return take.name.velocity.has_value(); });
  std::sort(program.takes.begin(), program.takes.end(), [](const Take& a, const Take& b) {
    return std::tuple(LayerOf(a), a.key, a.name.round, a.file) < std::tuple(LayerOf(b), b.key, b.name.round, b.file);
  });
  std::vector<Take> kept;
  for (Take& take : program.takes) {
    if (layered && !take.name.velocity) {
      warnings.push_back(take.file + ": left out, the other takes of PATCH_" + program.tag +
                         " have velocity layers and this one has none");
    } else if (!kept.empty() && LayerOf(kept.back()) == LayerOf(take) && kept.back().key == take.key &&
               kept.back().name.round == take.name.round) {
      warnings.push_back(take.file + ": left out, " + kept.back().file + " has the same key, layer and round");
    } else {
      kept.push_back(std::move(take));
    }
  }
  program.takes = std::move(kept);
}

}  // namespace

FolderScan ScanInstrumentFolder(const std::string& instrumentFolder) {
  const fs::path folder = PathFromUtf8(instrumentFolder);
  std::error_code error;
  fs::directory_iterator programs(folder, error);
  if (error) throw std::runtime_error("cannot read the folder " + instrumentFolder + ": " + error.message());

  std::map<std::string, ProgramTakes> byTag;
  FolderScan scan;
  for (const fs::directory_entry& entry : programs) {
    const std::string folderName = Utf8FromPath(entry.path().filename());
    if (folderName.rfind(kProgramFolderPrefix, 0) != 0 || !entry.is_directory(error)) continue;
    const std::string tag = folderName.substr(kProgramFolderPrefix.size());
    fs::directory_iterator files(entry.path(), error);
    if (error) throw std::runtime_error("cannot read the folder " + Utf8FromPath(entry.path()) + ": " + error.message());
    for (const fs::directory_entry& file : files) {
      const std::string fileName = Utf8FromPath(file.path().filename());
      const std::optional<TakeName> name = ParseTakeName(fileName);
      if (!name || name->programTag != tag || !file.is_regular_file(error)) continue;
      Take take{folderName + "/" + fileName, Utf8FromPath(file.path()), *name, name->note};
      try {
        ReadTake(take);
      } catch (const std::exception& problem) {
        scan.warnings.push_back(take.file + ": left out, it cannot be read (" + problem.what() + ")");
        continue;
      }
      ProgramTakes& program = byTag[tag];
      program.tag = tag;
      program.takes.push_back(std::move(take));
    }
  }
  for (auto& [tag, program] : byTag) {
    SortAndWeed(program, scan.warnings);
    if (!program.takes.empty()) scan.programs.push_back(std::move(program));
  }
  return scan;
}

}  // namespace ntr::instrument
