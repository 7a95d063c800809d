// SPDX-License-Identifier: GPL-3.0-or-later
#include "instrument/instrument_files.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "engine/takes/sample_paths.h"
#include "engine/takes/take_analysis.h"
#include "quendal/atomic_file.h"
#include "instrument/dspreset_file.h"
#include "instrument/key_layout.h"
#include "instrument/sf2_file.h"
#include "instrument/sfz_file.h"
#include "instrument/take_scan.h"

namespace ntr::instrument {

namespace fs = std::filesystem;

namespace {

constexpr double kNormalizedPeakDbfs = -1.0;

// Written beside the target and renamed into place, so a file is never half there.
void WriteTextFile(const fs::path& path, const std::string& text) {
  try {
    quendal::WriteFileAtomically(path, text);
  } catch (const std::exception& error) {
    throw InstrumentError(InstrumentError::Kind::NotWritten,
                          "cannot write " + Utf8FromPath(path) + ": " + error.what());
  }
}

// Bank 0, the program's number; a run without a program list takes 0, or the
// first number no program of the folder has.
int PresetOf(const std::string& tag, const std::vector<ProgramTakes>& programs) {
  if (tag != "XXX") return std::stoi(tag) % 128;
  std::set<int> taken;
  for (const ProgramTakes& program : programs) {
    if (program.tag != "XXX") taken.insert(std::stoi(program.tag) % 128);
  }
  int preset = 0;
  while (taken.count(preset) && preset < 127) ++preset;
  return preset;
}

// The gain that brings the loudest take to kNormalizedPeakDbfs; 0 when no take sounds.
double NormalizingGainDb(const FolderScan& scan) {
  double loudest = kSilenceFloorDbfs;
  for (const ProgramTakes& program : scan.programs) {
    for (const Take& take : program.takes) {
      try {
        loudest = std::max(loudest, AnalyseTakeFile(take.path).peakDbfs);
      } catch (const std::exception&) {
        // A take that cannot be read is left out of the files too.
      }
    }
  }
  return loudest > kSilenceFloorDbfs ? kNormalizedPeakDbfs - loudest : 0.0;
}

}  // namespace

std::string InstrumentNameOf(const std::string& instrumentFolder) {
  fs::path folder = PathFromUtf8(instrumentFolder).lexically_normal();
  if (folder.filename().empty()) folder = folder.parent_path();
  const std::string name = Utf8FromPath(folder.filename());
  return name.empty() || name == "." || name == ".." ? "instrument" : name;
}

InstrumentFiles MakeInstrumentFiles(const std::string& instrumentFolder, const InstrumentFileOptions& options) {
  const fs::path folder = PathFromUtf8(instrumentFolder);
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    throw InstrumentError(InstrumentError::Kind::FolderMissing, "the folder " + instrumentFolder + " does not exist");
  }
  FolderScan scan;
  try {
    scan = ScanInstrumentFolder(instrumentFolder);
  } catch (const std::exception& problem) {
    throw InstrumentError(InstrumentError::Kind::FolderMissing, problem.what());
  }
  if (scan.programs.empty()) {
    throw InstrumentError(InstrumentError::Kind::NoTakes,
                          "no takes in " + instrumentFolder + " (expected PATCH_<program>/PATCH<program>_<note>.WAV)");
  }

  const double gainDb = options.normalize ? NormalizingGainDb(scan) : 0.0;
  const PlayMode mode = options.playMode;
  const std::string name = InstrumentNameOf(instrumentFolder);
  InstrumentFiles result;
  result.warnings = scan.warnings;
  std::vector<Sf2Program> soundFontPrograms;
  for (const ProgramTakes& program : scan.programs) {
    std::vector<Region> regions = LayOutRegions(program);
    for (Region& region : regions) region.gainDb = gainDb;
    const std::string stem = name + "_PATCH_" + program.tag;
    const std::string title = name + ", program " + program.tag + " (" + std::to_string(regions.size()) + " takes)";
    for (const auto& [extension, text] : {std::pair{".sfz", SfzText(title, regions, mode)},
                                          std::pair{".dspreset", DspresetText(title, regions, mode)}}) {
      const fs::path path = folder / PathFromUtf8(stem + extension);
      WriteTextFile(path, text);
      result.written.push_back(Utf8FromPath(path));
    }
    soundFontPrograms.push_back(
        {program.tag, PresetOf(program.tag, scan.programs), program.tag + " " + name, regions, mode});
    ++result.programs;
    result.takes += static_cast<int>(regions.size());
  }

  const fs::path soundFont = folder / PathFromUtf8(name + ".sf2");
  try {
    const std::vector<std::string> leftOut = WriteSf2File(Utf8FromPath(soundFont), name, soundFontPrograms);
    result.warnings.insert(result.warnings.end(), leftOut.begin(), leftOut.end());
  } catch (const std::runtime_error& problem) {
    throw InstrumentError(InstrumentError::Kind::NotWritten, problem.what());
  }
  result.written.push_back(Utf8FromPath(soundFont));
  return result;
}

}  // namespace ntr::instrument
