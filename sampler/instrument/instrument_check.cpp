// SPDX-License-Identifier: GPL-3.0-or-later
#include "instrument/instrument_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>

#include "engine/events/note_names.h"
#include "engine/run/plural.h"
#include "engine/takes/sample_paths.h"
#include "engine/takes/take_pitch.h"
#include "instrument/instrument_files.h"
#include "instrument/instrument_structure.h"
#include "instrument/key_layout.h"
#include "instrument/soundfont_loops.h"
#include "instrument/soundfont_player.h"
#include "instrument/take_scan.h"

namespace ntr::instrument {

namespace fs = std::filesystem;

namespace {

// Each key is held this long; its pitch and level are read after the attack.
constexpr double kHoldSeconds = 0.4;
constexpr double kAttackSeconds = 0.05;
// A key whose peak stays below this is silent.
constexpr double kSilentPeak = 1e-4;  // -80 dBFS
// A layer played without a velocity of its own.
constexpr int kPlainVelocity = 100;

std::string Fixed(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// The velocity each layer was recorded at, lowest first.
std::vector<int> LayerVelocities(const ProgramTakes& program) {
  std::vector<int> velocities;
  for (const Take& take : program.takes) {
    const int velocity = take.name.velocity ? std::clamp(*take.name.velocity, 1, 127) : kPlainVelocity;
    if (std::find(velocities.begin(), velocities.end(), velocity) == velocities.end()) velocities.push_back(velocity);
  }
  std::sort(velocities.begin(), velocities.end());
  return velocities;
}

struct Tally {
  int looped = 0;  // keys and layers held over a loop
  int loopProblems = 0;
  int silent = 0;
  int outOfTune = 0;
  int pitched = 0;
  int falling = 0;
  double worstCents = 0.0;
};

// A hold of four times the looping sample: from where the loop starts no step
// from one sample to the next may be more than twice the largest before it (a
// click at the loop's seam), and after the sample's first pass every 50 ms
// stays within 3 dB of the hold's median.
std::optional<std::string> LoopProblem(SoundFontPlayer& player, int preset, int key, int velocity,
                                       const LoopedZone& loop) {
  const std::vector<float> hold = player.Play(preset, key, velocity, 4.0 * loop.seconds);
  const double speed = std::pow(2.0, (key - loop.rootKey) / 12.0);  // a key above the root plays the sample faster
  const auto frames = [&](double seconds) {
    return std::min(hold.size(), static_cast<std::size_t>(seconds / speed * SoundFontPlayer::kSampleRate));
  };
  const std::size_t loopStart = frames(loop.loopStartSeconds), pass = frames(loop.seconds);
  double before = 0.0, after = 0.0;
  for (std::size_t i = 1; i < hold.size(); ++i) {
    double& largest = i < loopStart ? before : after;
    largest = std::max(largest, static_cast<double>(std::fabs(hold[i] - hold[i - 1])));
  }
  if (after > 2.0 * before + 1e-4) {
    return "a click in the loop (a step " + Fixed(20.0 * std::log10(after / std::max(before, 1e-9))) +
           " dB above the largest before it)";
  }
  const std::size_t block = SoundFontPlayer::kSampleRate / 20;
  std::vector<double> levels;
  for (std::size_t at = pass; at + block <= hold.size(); at += block) {
    double energy = 0.0;
    for (std::size_t i = at; i < at + block; ++i) energy += static_cast<double>(hold[i]) * hold[i];
    levels.push_back(10.0 * std::log10(energy / static_cast<double>(block) + 1e-30));
  }
  if (levels.empty()) return std::nullopt;
  std::sort(levels.begin(), levels.end());
  const double median = levels[levels.size() / 2];
  if (median < -80.0) return std::string("the hold falls silent after the sample's end");
  const double spread = std::max(levels.back() - median, median - levels.front());
  if (spread > 3.0) return "the level of the loop's hold varies by " + Fixed(spread) + " dB";
  return std::nullopt;
}

void CheckProgram(SoundFontPlayer& player, const std::vector<LoopedZone>& loops, const ProgramTakes& program,
                  double toleranceCents, Tally& tally, InstrumentCheck& check) {
  const std::string where = "PATCH_" + program.tag;
  const std::optional<int> preset = player.PresetNamed(program.tag + " ");
  if (!preset) {
    check.problems.push_back(where + ": no preset in the SoundFont");
    return;
  }
  const auto [lowest, highest] = std::minmax_element(program.takes.begin(), program.takes.end(),
                                                     [](const Take& a, const Take& b) { return a.key < b.key; });
  const std::vector<int> velocities = LayerVelocities(program);
  check.layers = std::max(check.layers, static_cast<int>(velocities.size()));
  check.keys += highest->key - lowest->key + 1;
  const auto start = static_cast<std::ptrdiff_t>(kAttackSeconds * SoundFontPlayer::kSampleRate);

  for (int key = lowest->key; key <= highest->key; ++key) {
    const std::string keyName = where + " key " + std::to_string(key) + " (" + NoteName(key) + ")";
    std::optional<double> lastLevel;
    for (const int velocity : velocities) {
      const std::vector<float> sound = player.Play(*preset, key, velocity, kHoldSeconds);
      const std::string at = keyName + " velocity " + std::to_string(velocity);
      float peak = 0.0f;
      double energy = 0.0;
      for (std::size_t i = static_cast<std::size_t>(start); i < sound.size(); ++i) {
        peak = std::max(peak, std::fabs(sound[i]));
        energy += static_cast<double>(sound[i]) * sound[i];
      }
      if (peak < kSilentPeak) {
        ++tally.silent;
        check.problems.push_back(at + ": silent");
        lastLevel.reset();
        continue;
      }
      const std::vector<float> held(sound.begin() + start, sound.end());
      if (const std::optional<double> cents = CentsFromNote(held, SoundFontPlayer::kSampleRate, key)) {
        ++tally.pitched;
        tally.worstCents = std::max(tally.worstCents, std::fabs(*cents));
        if (std::fabs(*cents) > toleranceCents) {
          ++tally.outOfTune;
          check.problems.push_back(at + ": " + Fixed(std::fabs(*cents)) + " cents " + (*cents > 0 ? "sharp" : "flat") +
                                   " (tolerance " + Fixed(toleranceCents) + ")");
        }
      }
      const double level = 10.0 * std::log10(energy / static_cast<double>(held.size()) + 1e-30);
      if (lastLevel && level <= *lastLevel) {
        ++tally.falling;
        check.problems.push_back(at + ": not louder than the layer below (" + Fixed(level - *lastLevel) + " dB)");
      }
      lastLevel = level;
      for (const LoopedZone& loop : loops) {
        if (key < loop.loKey || key > loop.hiKey || velocity < loop.loVelocity || velocity > loop.hiVelocity ||
            loop.seconds <= 0.0) {
          continue;
        }
        ++tally.looped;
        if (const auto problem = LoopProblem(player, *preset, key, velocity, loop)) {
          ++tally.loopProblems;
          check.problems.push_back(at + ": " + *problem);
        }
        break;
      }
    }
  }
}

std::string Summary(const InstrumentCheck& check, const Tally& tally, int structureProblems) {
  std::string text = "Instrument check: " + Plural(check.keys, "key") + " x " + Plural(check.layers, "layer") + ": ";
  std::vector<std::string> parts;
  if (tally.silent > 0) parts.push_back(Plural(tally.silent, "silent key"));
  if (tally.pitched == 0) {
    parts.push_back("no steady pitch to check");
  } else {
    parts.push_back((tally.outOfTune == 0 ? std::string("in tune") : std::to_string(tally.outOfTune) + " out of tune") +
                    " (worst " + Fixed(tally.worstCents) + " cents)");
  }
  if (check.layers > 1) {
    parts.push_back(tally.falling == 0 ? "levels rise with velocity"
                                       : std::to_string(tally.falling) + " not louder than the layer below");
  }
  if (tally.looped > 0) {
    parts.push_back(tally.loopProblems == 0 ? "loops seamless" : Plural(tally.loopProblems, "loop problem"));
  }
  if (structureProblems > 0)
    parts.push_back(Plural(structureProblems, "problem") + " in the SFZ and DecentSampler files");
  for (std::size_t i = 0; i < parts.size(); ++i) text += (i ? ", " : "") + parts[i];
  return text;
}

}  // namespace

InstrumentCheck CheckInstrument(const std::string& instrumentFolder, double toleranceCents) {
  std::error_code error;
  if (!fs::is_directory(PathFromUtf8(instrumentFolder), error)) {
    throw InstrumentError(InstrumentError::Kind::FolderMissing, "the folder " + instrumentFolder + " does not exist");
  }
  const FolderScan scan = ScanInstrumentFolder(instrumentFolder);
  if (scan.programs.empty()) {
    throw InstrumentError(InstrumentError::Kind::NoTakes, "no takes in " + instrumentFolder);
  }
  const std::string name = InstrumentNameOf(instrumentFolder);
  const std::string soundFont = Utf8FromPath(PathFromUtf8(instrumentFolder) / PathFromUtf8(name + ".sf2"));
  SoundFontPlayer player(soundFont);

  InstrumentCheck check;
  Tally tally;
  int structureProblems = 0;
  for (const ProgramTakes& program : scan.programs) {
    CheckProgram(player, LoopedZones(soundFont, program.tag + " "), program, toleranceCents, tally, check);
    const std::vector<std::string> structure =
        CheckStructure(instrumentFolder, name + "_PATCH_" + program.tag, LayOutRegions(program));
    structureProblems += static_cast<int>(structure.size());
    check.problems.insert(check.problems.end(), structure.begin(), structure.end());
  }
  check.worstCents = tally.worstCents;
  check.passed = check.problems.empty();
  check.summary = Summary(check, tally, structureProblems);
  return check;
}

}  // namespace ntr::instrument
