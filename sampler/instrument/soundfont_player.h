// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A SoundFont played offline by FluidSynth, without an audio driver: one note
// at a time rendered into memory, reverb and chorus off, faster than real time.

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ntr::instrument {

class SoundFontPlayer {
 public:
  static constexpr int kSampleRate = 44100;

  // Loads the file; throws std::runtime_error when FluidSynth cannot.
  explicit SoundFontPlayer(const std::string& soundFontPath);
  ~SoundFontPlayer();
  SoundFontPlayer(const SoundFontPlayer&) = delete;
  SoundFontPlayer& operator=(const SoundFontPlayer&) = delete;

  // The number of the bank-0 preset whose name starts with `prefix`.
  std::optional<int> PresetNamed(const std::string& prefix) const;

  // The preset's key held for `seconds`, the two channels mixed to one.
  std::vector<float> Play(int preset, int key, int velocity, double seconds);

 private:
  struct Synth;
  std::unique_ptr<Synth> synth_;
};

}  // namespace ntr::instrument
