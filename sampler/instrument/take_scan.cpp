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
#include "quendal/wav.h"

namespace ntr::instrument {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kProgramFolderPrefix = "PATCH_";

// The take's key and tuning, or nullopt when it has no sampler chunk. Throws when it is no WAV file.
std::optional<KeyPitch> SamplerPitch(const std::string& path) {
  quendal::Wav wav;
  if (wav.GetWavFile(path) != 0) throw std::runtime_error("not a WAV file");
  if (wav.SmplChunk->ChunkId != "smpl") return std::nullopt;
  const KeyPitch pitch = KeyPitchOf(wav.SmplChunk->MIDIUnityNote, wav.SmplChunk->MIDIPitchFraction);
  if (pitch.key < 0 || pitch.key > 127) return std::nullopt;
  return pitch;
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
        const std::optional<KeyPitch> pitch = SamplerPitch(take.path);
        if (pitch) take.key = pitch->key, take.pitchCents = pitch->cents;
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
