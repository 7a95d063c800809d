// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An instrument's SoundFont played live: a FluidSynth synthesizer of its own
// (not the sampling one), rendered in RtAudio's output callback and played
// from the user-interface thread or from an RtMidi input's thread. FluidSynth
// serialises those calls itself; the audio callback only renders.

#include <memory>

#include "engine/instrument_player_port.h"

namespace ntr {

class LiveInstrument : public InstrumentPlayerPort {
 public:
  LiveInstrument();
  ~LiveInstrument() override;

  void Load(const std::string& soundFont) override;
  std::vector<std::string> Presets() const override;
  void SelectPreset(int index) override;
  void NoteOn(int note, int velocity) override;
  void NoteOff(int note) override;
  std::vector<std::string> MidiInputs() override;
  void ListenTo(int input) override;
  void Close() override;

 private:
  struct Synth;
  struct Midi;
  std::unique_ptr<Midi> midi_;  // stopped first: it plays into the synthesizer
  std::unique_ptr<Synth> synth_;
};

}  // namespace ntr
