// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// VOLUME_MOD: the three recording levels on the ALSA simple mixer of the
// default card. Slider 0 is the line input, 1 the microphone, 2 the output
// volume. The levels are only ever written, never read back: the slider knobs
// are the record of them. Opening turns all three down to their minimum; the
// window then applies the knob positions. A control that is not there is
// skipped. Everything runs on the user-interface thread.

#include <array>
#include <memory>
#include <string>

#include "devices/mixer/level_mapping.h"
#include "engine/ports.h"

namespace ntr {

class VOLUME_MOD : public MixerPort {
 public:
  static constexpr int kSliders = 3;
  static constexpr int kLineSlider = 0;
  static constexpr int kMicSlider = 1;
  static constexpr int kOutSlider = 2;

  // mixerDevice: the ALSA control device, "default" for the default card.
  explicit VOLUME_MOD(std::string mixerDevice = "default");
  ~VOLUME_MOD() override;
  VOLUME_MOD(const VOLUME_MOD&) = delete;
  VOLUME_MOD& operator=(const VOLUME_MOD&) = delete;

  // Opens the mixer, finds the output, microphone and line volume controls
  // with their ranges and sets each to its Minimum. false when there is no
  // mixer (LastError says why); the sliders then change nothing.
  bool OpenMixerDevice() override;
  // Sets slider i's control from its knob: pos above the lowest position, of travel.
  void ApplyKnobLevel(int slider, int pos, int travel) override;

  bool IsOpen() const;
  bool ControlFound(int slider) const;
  // e.g. "Capture (capture)"; "" when not found.
  std::string ControlName(int slider) const;
  LevelRange Range(int slider) const;
  // The level last sent to slider i's control (its Current after the open).
  int32_t LastLevel(int slider) const;
  const std::string& LastError() const { return lastError_; }

 private:
  struct Mixer;
  struct Control;
  bool FindLineVolume(int slider, Control& control);
  bool SetLevel(const Control& control, int32_t value);
  void CloseMixer();

  std::string mixerDevice_;
  std::unique_ptr<Mixer> mixer_;
  std::array<LevelRange, kSliders> ranges_{};
  std::array<int32_t, kSliders> lastLevels_{};
  std::string lastError_;
};

}  // namespace ntr
