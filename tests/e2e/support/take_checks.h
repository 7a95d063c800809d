// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a finished run must have left on disk: the folder tree of its takes,
// and takes that are clean, correctly formatted and correctly tagged. The
// files are read with QuendalWav, as a software sampler would meet them.

#include <set>
#include <string>
#include <vector>

namespace ntr::e2e {

// One take as QuendalWav reads it, its samples decoded to +-1 full scale.
struct Take {
  int result = -1;          // GetWavFile's result (0: read to the end)
  int compressionCode = 0;  // 1: PCM, 3: IEEE float
  int sampleRate = 0;
  int bitsPerSample = 0;
  int channels = 0;
  bool hasSmpl = false;
  int unityNote = -1;
  std::vector<float> samples;  // interleaved

  double Seconds() const;
  std::vector<float> Mono() const;
};
Take ReadTake(const std::string& path);

struct TakeExpectation {
  int note = 60;           // MIDI note played (and the unity note when tagged)
  int sampleRate = 44100;
  int bitsPerSample = 16;
  int channels = 2;
  bool tagged = true;
  double heldSeconds = 0;   // the note's duration
  double decaySeconds = 0;  // recorded after the note off
  // What the take may last beyond duration + decay (starting the recording,
  // the yields around the note), and what it may lack (the audio system's period).
  double longestOverheadSeconds = 0.05;
  double shortestShortfallSeconds = 0.005;
};

struct TakeFigures {
  double seconds = 0;  // the take's length
  double cents = 0;    // its fundamental against the note's
  float peak = 0;
};

// Checks format, unity note, length, level (neither silent nor clipped) and
// pitch (within 25 cents of the note) with gtest assertions naming the file.
TakeFigures ExpectGoodTake(const std::string& path, const TakeExpectation& expected);

// Every file under root, as paths relative to it ("My_Piano/PATCH_000/PATCH000_C4.WAV").
std::set<std::string> FilesUnder(const std::string& root);

// The files a run leaves: its report <gear>/ntr-run.json and
// <gear>/PATCH_<tag>/PATCH<tag>_<note>.WAV for every tag and note name.
std::set<std::string> ExpectedTakes(const std::string& gearFolder, const std::vector<std::string>& programTags,
                                    const std::vector<std::string>& noteNames);

// What a run's report (ntr-run.json) says, read as readers read it: from the
// journal beside it when the run was killed; valid is false when neither holds a JSON object.
struct RunReportFigures {
  bool valid = false;
  std::string outcome;
  std::vector<std::string> files;     // of every take, in order
  std::vector<std::string> statuses;  // of every take, in order
  std::vector<std::string> velocities;  // of every take, in order
  std::vector<int> rounds;
  int levelChecks = 0;
};
RunReportFigures ReadRunReport(const std::string& path);

}  // namespace ntr::e2e
