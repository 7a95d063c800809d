// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A finished instrument played live: its SoundFont in a synthesizer sounding
// through the default audio output, from the computer keyboard (NoteOn and
// NoteOff) or from a MIDI keyboard (a MIDI input the device listens to on its
// own thread). LiveInstrument for the real devices; tests give a fake.
// Called from the user-interface thread only.

#include <string>
#include <vector>

namespace ntr {

class InstrumentPlayerPort {
 public:
  virtual ~InstrumentPlayerPort() = default;
  // Loads the SoundFont (instead of any before) and starts sounding, its
  // first preset chosen. Throws DeviceError (engine/ports.h).
  virtual void Load(const std::string& soundFont) = 0;
  // The presets of the loaded SoundFont: "000 Grand_Piano PATCH_000".
  virtual std::vector<std::string> Presets() const = 0;
  virtual void SelectPreset(int index) = 0;
  virtual void NoteOn(int note, int velocity) = 0;
  virtual void NoteOff(int note) = 0;  // the note's release plays
  // The MIDI inputs there are now, and the one listened to (-1: none).
  virtual std::vector<std::string> MidiInputs() = 0;
  virtual void ListenTo(int input) = 0;  // throws DeviceError
  // Silences everything and lets go of the output and the MIDI input.
  virtual void Close() = 0;
};

}  // namespace ntr
