// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/mixer/volume_mod.h"

#include <alsa/asoundlib.h>

#include <vector>

#include "devices/quiet_libraries.h"

namespace ntr {

namespace {

// The element names that stand for each line, most usual first. A desktop
// audio system's ALSA mixer (PulseAudio's or PipeWire's) has no line or
// microphone control, only "Capture": the volume of its default source,
// which is what a line input records through there; "Line In" drives it.
const std::vector<std::string>& CandidateNames(int slider) {
  static const std::vector<std::string> line{"Line", "Line In", "Line-In", "Aux", "Capture"};
  static const std::vector<std::string> mic{"Mic", "Internal Mic", "Front Mic", "Rear Mic", "Headset Mic"};
  static const std::vector<std::string> out{"Master", "PCM", "Speaker", "Headphone", "Front"};
  return slider == VOLUME_MOD::kLineSlider ? line : slider == VOLUME_MOD::kMicSlider ? mic : out;
}

bool IsSlider(int slider) { return slider >= 0 && slider < VOLUME_MOD::kSliders; }

}  // namespace

struct VOLUME_MOD::Control {
  snd_mixer_elem_t* element = nullptr;
  bool capture = false;  // the element's capture volume, else its playback volume
  std::string name;
};

struct VOLUME_MOD::Mixer {
  snd_mixer_t* handle = nullptr;
  std::array<Control, kSliders> controls{};

  ~Mixer() {
    if (handle != nullptr) snd_mixer_close(handle);
  }
};

VOLUME_MOD::VOLUME_MOD(std::string mixerDevice) : mixerDevice_(std::move(mixerDevice)) {}

VOLUME_MOD::~VOLUME_MOD() = default;

void VOLUME_MOD::CloseMixer() {
  mixer_.reset();
  ranges_ = {};
  lastLevels_ = {};
}

bool VOLUME_MOD::OpenMixerDevice() {
  QuietDeviceLibraries();  // failures are reported through lastError_
  CloseMixer();
  lastError_.clear();
  auto mixer = std::make_unique<Mixer>();
  int result = snd_mixer_open(&mixer->handle, 0);
  if (result >= 0) result = snd_mixer_attach(mixer->handle, mixerDevice_.c_str());
  if (result >= 0) result = snd_mixer_selem_register(mixer->handle, nullptr, nullptr);
  if (result >= 0) result = snd_mixer_load(mixer->handle);
  if (result < 0) {
    lastError_ = "ALSA mixer \"" + mixerDevice_ + "\": " + snd_strerror(result);
    return false;
  }
  mixer_ = std::move(mixer);

  for (const int slider : {kOutSlider, kMicSlider, kLineSlider}) {
    Control& control = mixer_->controls[static_cast<std::size_t>(slider)];
    if (!FindLineVolume(slider, control)) continue;
    long minimum = 0;
    long maximum = 0;
    if (control.capture) {
      snd_mixer_selem_get_capture_volume_range(control.element, &minimum, &maximum);
    } else {
      snd_mixer_selem_get_playback_volume_range(control.element, &minimum, &maximum);
    }
    ranges_[static_cast<std::size_t>(slider)] = {static_cast<int32_t>(minimum), static_cast<int32_t>(maximum), 0};
  }
  for (const int slider : {kOutSlider, kMicSlider, kLineSlider}) {
    LevelRange& range = ranges_[static_cast<std::size_t>(slider)];
    range.Current = range.Minimum;
    const Control& control = mixer_->controls[static_cast<std::size_t>(slider)];
    if (control.element != nullptr) SetLevel(control, range.Current);
    lastLevels_[static_cast<std::size_t>(slider)] = range.Current;
  }
  return true;
}

bool VOLUME_MOD::FindLineVolume(int slider, Control& control) {
  snd_mixer_selem_id_t* id = nullptr;
  if (snd_mixer_selem_id_malloc(&id) < 0) return false;
  bool found = false;
  for (const std::string& name : CandidateNames(slider)) {
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_selem_id_set_name(id, name.c_str());
    snd_mixer_elem_t* element = snd_mixer_find_selem(mixer_->handle, id);
    if (element == nullptr) continue;
    const bool wantCapture = slider != kOutSlider;
    if (wantCapture && snd_mixer_selem_has_capture_volume(element)) {
      control = {element, true, name + " (capture)"};
    } else if (snd_mixer_selem_has_playback_volume(element)) {
      control = {element, false, name + " (playback)"};
    } else {
      continue;
    }
    found = true;
    break;
  }
  snd_mixer_selem_id_free(id);
  return found;
}

bool VOLUME_MOD::SetLevel(const Control& control, int32_t value) {
  const int result = control.capture ? snd_mixer_selem_set_capture_volume_all(control.element, value)
                                     : snd_mixer_selem_set_playback_volume_all(control.element, value);
  return result == 0;
}

void VOLUME_MOD::ApplyKnobLevel(int slider, int pos, int travel) {
  if (!IsSlider(slider)) return;
  const auto i = static_cast<std::size_t>(slider);
  const int32_t level = ClampToRange(KnobLevel(pos, travel, ranges_[i]), ranges_[i]);
  lastLevels_[i] = level;
  if (!mixer_ || mixer_->controls[i].element == nullptr) return;  // nothing to set
  SetLevel(mixer_->controls[i], level);
}

bool VOLUME_MOD::IsOpen() const { return mixer_ != nullptr; }

bool VOLUME_MOD::ControlFound(int slider) const {
  return IsSlider(slider) && mixer_ && mixer_->controls[static_cast<std::size_t>(slider)].element != nullptr;
}

std::string VOLUME_MOD::ControlName(int slider) const {
  return ControlFound(slider) ? mixer_->controls[static_cast<std::size_t>(slider)].name : std::string();
}

LevelRange VOLUME_MOD::Range(int slider) const {
  return IsSlider(slider) ? ranges_[static_cast<std::size_t>(slider)] : LevelRange{};
}

int32_t VOLUME_MOD::LastLevel(int slider) const {
  return IsSlider(slider) ? lastLevels_[static_cast<std::size_t>(slider)] : 0;
}

}  // namespace ntr
