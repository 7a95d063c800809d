// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// MIDI_MOD: the MIDI output that plays the notes of a run.
//
// The device menu has entry 0, "MIDI Mapper", which opens the built-in
// synthesizer, and entries 1..9, the output ports RtMidi finds on every MIDI
// system compiled in (ALSA sequencer, JACK when a server runs). The window
// builds its menu from ListMidiDevices, calls SelectMidiDevice on a click and
// at load, and itself stores the choice in the setting "MidiDev" and moves the
// check mark (this class keeps no settings). A run opens the output with
// OpenMidiOutput, fixes channel and velocity, sends its messages and closes.
// Everything runs on the user-interface thread.

#include <cstdint>
#include <string>
#include <vector>

#include "devices/synth/builtin_synth.h"
#include "devices/midi/midi_port_list.h"
#include "devices/midi/midi_retcodes.h"
#include "engine/events/midi_device_menu.h"
#include "engine/ports.h"

namespace ntr {

class MIDI_MOD : public MidiOutputPort, public MidiDevicesPort {
 public:
  static constexpr const char* kMapperCaption = "MIDI Mapper";

  // takeClock: the clock the synthesizer renders on, offered to fast runs
  // while entry 0 is selected (none: every run is in real time).
  explicit MIDI_MOD(BuiltInSynth& synth, TakeClock* takeClock = nullptr);
  ~MIDI_MOD() override;

  // Captions of the menu entries, "MIDI Mapper" first; finds the devices anew.
  // No device found is not an error: the list then holds entry 0 only.
  std::vector<std::string> ListMidiDevices() override;
  // Remembers the entry for the next open (any value; an entry without a
  // device fails to open with kBadDeviceId).
  void SelectMidiDevice(int index) override;
  int SelectedMidiDevice() const override { return midiDeviceIndex_; }

  // Closes what is open, then opens the selected entry. Returns MIDI_RetCode:
  // 0 or one of the causes in midi_retcodes.h, with LastOpenError saying why.
  int OpenMidiOutput() override;
  std::string LastOpenError() const override { return lastOpenError_; }
  // MIDI_RetCode becomes 0, or kNotOpen when nothing was open.
  void CloseMidiOutput() override;

  // Out-of-range values are pulled to 0..15 and 0..127: a data byte of 128 or
  // more would reach the instrument as a status byte.
  void SetChannelAndVelocity(int channel0to15, int velocity) override;
  void SendProgramChange(int program) override;
  void SendNoteOn(int note) override;
  void SendNoteOff(int note) override;
  void UseSoundFont(const std::string& path) override;
  void UseSampleRate(int samplesPerSec) override;
  TakeClock* RenderClock() override;

  int MidiDeviceCount() const { return static_cast<int>(devices_.size()); }
  int MIDI_RetCode() const { return midiRetCode_; }
  uint32_t LastMidiMessage() const { return lastMidiMessage_; }
  int MidiChannel() const { return midiChannel_; }
  int MidiVelocity() const { return midiVelocity_; }
  // True while the built-in synthesizer is the open output.
  bool BuiltInSynthOpen() const { return synthOpen_; }

 private:
  void Send(uint32_t message);
  int Close();

  BuiltInSynth& synth_;
  TakeClock* takeClock_;
  std::vector<MidiOutputDevice> devices_;
  MidiPortOutput port_;
  bool synthOpen_ = false;
  int midiDeviceIndex_ = 0;
  int midiRetCode_ = 0;
  std::string lastOpenError_;
  uint32_t lastMidiMessage_ = 0;
  int midiChannel_ = 0;
  int midiVelocity_ = 127;
};

}  // namespace ntr
