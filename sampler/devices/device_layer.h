// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real devices, ready to hand to the engine. The program creates one
// DeviceLayer with the run's clock and gives the engine Midi() as its
// MidiOutputPort and Recorder() as its RecorderPort; the window builds its
// device menu from Midi() (a MidiDevicesPort too). The mixer (VOLUME_MOD) is
// separate: the window opens it once at load.

#include "devices/recorders/audio_input_recorder.h"
#include "devices/synth/builtin_synth.h"
#include "devices/midi/midi_mod.h"
#include "devices/recorders/selected_recorder.h"
#include "devices/recorders/synth_recorder.h"
#include "engine/ports.h"
#include "engine/run/take_clock.h"

namespace ntr {

class DeviceLayer {
 public:
  explicit DeviceLayer(ClockPort& clock, SynthOptions synthOptions = {}, AudioInputOptions inputOptions = {});

  MIDI_MOD& Midi() { return midi_; }
  RecorderPort& Recorder() { return recorder_; }
  BuiltInSynth& Synth() { return synth_; }
  AudioInputRecorder& AudioInput() { return inputRecorder_; }

 private:
  TakeClock synthClock_;  // the synthesizer's: real time, or a fast run's virtual time
  BuiltInSynth synth_;
  MIDI_MOD midi_;
  SynthRecorder synthRecorder_;
  AudioInputRecorder inputRecorder_;
  SelectedRecorder recorder_;
};

}  // namespace ntr
