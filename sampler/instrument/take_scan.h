// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding the takes of an instrument's folder: every PATCH_<tag> folder in it
// and every take in those whose name says it belongs there (take_names.h).
// The key of a take is the unity note of its sampler chunk ("smpl") when it
// has one (the nearest key to the unity note and its pitch fraction),
// otherwise the note of its name; its loop is the chunk's, as the
// run found it (never searched again, so the files made from a folder are the
// same every time). Plain C++; any thread.

#include <optional>
#include <string>
#include <vector>

#include "instrument/take_names.h"

namespace ntr::instrument {

// A take's sustain loop as its sampler chunk holds it: frames from the
// first, `end` the loop's last frame (inclusive).
struct SampleLoop {
  int start = 0;
  int end = 0;
};

struct Take {
  std::string file;  // relative to the instrument's folder, "/" between parts
  std::string path;  // the whole path (UTF-8), for reading the take
  TakeName name;
  int key = 0;                       // the key that plays the take at its own pitch
  double pitchCents = 0.0;           // how far the take lies off its key (its sampler chunk's pitch fraction)
  std::optional<SampleLoop> loop{};  // the first forward loop of its sampler chunk
  double seconds = 0.0;              // its length
  double releaseSeconds = 0.0;       // its recorded release (take_release.h)
};

struct ProgramTakes {
  std::string tag;          // "XXX", "005"
  std::vector<Take> takes;  // by velocity, key and round
};

struct FolderScan {
  std::vector<ProgramTakes> programs;  // by tag; only programs with takes
  std::vector<std::string> warnings;   // takes left out, and why
};

// Reads the folder (UTF-8 path). Takes that cannot be read as WAV files are
// left out with a warning, and so is a second take for the same key, layer and
// round, and a take without "_V" in a program whose other takes have one.
// Throws std::runtime_error when the folder cannot be listed.
FolderScan ScanInstrumentFolder(const std::string& instrumentFolder);

}  // namespace ntr::instrument
