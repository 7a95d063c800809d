// SPDX-License-Identifier: GPL-3.0-or-later
#include "instrument/soundfont_player.h"

#include <fluidsynth.h>

#include <stdexcept>

namespace ntr::instrument {

struct SoundFontPlayer::Synth {
  fluid_settings_t* settings = new_fluid_settings();
  fluid_synth_t* synth = nullptr;
  int font = FLUID_FAILED;
  ~Synth() {
    if (synth) delete_fluid_synth(synth);
    delete_fluid_settings(settings);
  }
};

SoundFontPlayer::SoundFontPlayer(const std::string& soundFontPath) : synth_(std::make_unique<Synth>()) {
  fluid_settings_setnum(synth_->settings, "synth.sample-rate", kSampleRate);
  fluid_settings_setnum(synth_->settings, "synth.gain", 1.0);
  fluid_settings_setint(synth_->settings, "synth.reverb.active", 0);
  fluid_settings_setint(synth_->settings, "synth.chorus.active", 0);
  synth_->synth = new_fluid_synth(synth_->settings);
  if (!synth_->synth) throw std::runtime_error("FluidSynth could not be started");
  synth_->font = fluid_synth_sfload(synth_->synth, soundFontPath.c_str(), 0);
  if (synth_->font == FLUID_FAILED) throw std::runtime_error("FluidSynth cannot load " + soundFontPath);
}

SoundFontPlayer::~SoundFontPlayer() = default;

std::optional<int> SoundFontPlayer::PresetNamed(const std::string& prefix) const {
  fluid_sfont_t* font = fluid_synth_get_sfont_by_id(synth_->synth, synth_->font);
  if (!font) return std::nullopt;
  fluid_sfont_iteration_start(font);
  while (fluid_preset_t* preset = fluid_sfont_iteration_next(font)) {
    const std::string name = fluid_preset_get_name(preset);
    if (fluid_preset_get_banknum(preset) == 0 && name.rfind(prefix, 0) == 0) return fluid_preset_get_num(preset);
  }
  return std::nullopt;
}

std::vector<float> SoundFontPlayer::Play(int preset, int key, int velocity, double seconds) {
  fluid_synth_t* synth = synth_->synth;
  if (fluid_synth_program_select(synth, 0, synth_->font, 0, preset) != FLUID_OK) return {};
  const auto frames = static_cast<int>(seconds * kSampleRate);
  std::vector<float> left(frames), right(frames);
  fluid_synth_noteon(synth, 0, key, velocity);
  fluid_synth_write_float(synth, frames, left.data(), 0, 1, right.data(), 0, 1);
  fluid_synth_all_sounds_off(synth, 0);
  for (int i = 0; i < frames; ++i) left[i] = 0.5f * (left[i] + right[i]);
  return left;
}

}  // namespace ntr::instrument
