// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Making an instrument from a folder of takes: for the instrument's folder
// (<save folder>/<instrument>), the files a software sampler opens, written
// into that folder and referring to the takes by relative paths:
//   <instrument>_PATCH_<tag>.sfz        SFZ, one per program
//   <instrument>_PATCH_<tag>.dspreset   DecentSampler preset, one per program
//   <instrument>.sf2                    SoundFont 2, one preset per program
// <instrument> is the folder's own name. Files of these names are replaced.
// Plain C++; any thread, one call at a time per folder.

#include <stdexcept>
#include <string>
#include <vector>

#include "instrument/key_layout.h"

namespace ntr::instrument {

// Why no files were made; the message names the folder and what is wrong.
class InstrumentError : public std::runtime_error {
 public:
  enum class Kind { FolderMissing, NoTakes, NotWritten };
  InstrumentError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  Kind GetKind() const { return kind_; }

 private:
  Kind kind_;
};

struct InstrumentFiles {
  std::vector<std::string> written;   // the files' paths (UTF-8), SFZ and preset per program, then the SoundFont
  std::vector<std::string> warnings;  // takes left out, and why
  int programs = 0;
  int takes = 0;
};

struct InstrumentFileOptions {
  // One gain for every region brings the loudest take to -1 dBFS (into the
  // SoundFont's own sample data; the takes on disk stay as they are).
  bool normalize = false;
  // How every region plays (sustain, or one-shot for drums).
  PlayMode playMode = PlayMode::Sustain;
};

// Scans the folder and writes every file. Throws InstrumentError when the
// folder is missing, holds no takes, or a file cannot be written (files
// written before that one stay).
InstrumentFiles MakeInstrumentFiles(const std::string& instrumentFolder, const InstrumentFileOptions& options = {});

// The name the files take from the folder ("My_Piano" for ".../My_Piano/").
std::string InstrumentNameOf(const std::string& instrumentFolder);

}  // namespace ntr::instrument
