// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The takes of an instrument's folder as the take browser lists them: one
// entry per take file in its PATCH_<tag> folders, found from the file names
// alone (no take is read, so a folder of thousands opens at once), with the
// figures its run's report (ntr-run.json) holds for it. Plain C++ and Qt Core;
// any thread.

#include <optional>
#include <string>
#include <vector>

#include "engine/takes/take_analysis.h"

namespace ntr::session {

// What is known of a take's sound: from the report, or measured.
struct TakeFigures {
  double peakDbfs = kSilenceFloorDbfs;
  double rmsDbfs = kSilenceFloorDbfs;
  std::optional<double> onsetMs;
  bool clipped = false;
  std::optional<double> cents;      // the pitch against the note, where the report has it
  std::optional<std::string> loop;  // the loop's figures, where the report has them
};

struct TakeEntry {
  std::string file;  // relative to the instrument's folder: "PATCH_005/PATCH005_C4.WAV"
  std::string path;  // the whole path, for reading the take
  std::string programTag;
  std::string noteName;
  int note = 0;
  std::optional<int> velocity;  // from the name, else from the report
  int round = 1;
  // "saved", "silent", "clipped", "failed" or "retaken" as the report has it;
  // "" until a take the report does not know is measured.
  std::string status;
  std::vector<std::string> warnings;
  std::optional<TakeFigures> figures;
};

// What the run's settings say about where things are in a take.
struct TakeTiming {
  std::optional<int> durationMs;  // how long the note was held
  bool trimmed = false;
  int preRollMs = 5;
  int fadeOutMs = 10;
};

struct TakeFolder {
  std::string folder;            // as given
  std::string instrument;        // the folder's own name
  std::vector<TakeEntry> takes;  // by program, note, velocity and round
  TakeTiming timing;
  bool hasReport = false;
  std::string reportProblem;  // why a report that is there could not be read
};

// Lists the folder (UTF-8 path). Throws std::runtime_error when it cannot be read.
TakeFolder ListTakeFolder(const std::string& folder);

// The status of a take the report does not know, from its measured levels.
std::string StatusOfMeasured(const TakeLevels& levels);

// Figures from levels measured here.
TakeFigures FiguresOf(const TakeLevels& levels);

// The instrument's SoundFont in its folder: <instrument>.sf2 as
// "Make Instrument Files..." writes it, else the first .sf2 there; nullopt
// when there is none.
std::optional<std::string> SoundFontOf(const std::string& folder);

// "saved", "clipped, 2 warnings": the status column.
std::string StatusText(const TakeEntry& take);

}  // namespace ntr::session
