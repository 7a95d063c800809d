// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/midi/midi_mod.h"

#include <algorithm>

#include "engine/events/midi_messages.h"

namespace ntr {

namespace {

int DataByte(int value) { return std::clamp(value, 0, 127); }

}  // namespace

MIDI_MOD::MIDI_MOD(BuiltInSynth& synth, TakeClock* takeClock) : synth_(synth), takeClock_(takeClock) {}

MIDI_MOD::~MIDI_MOD() { Close(); }

std::vector<std::string> MIDI_MOD::ListMidiDevices() {
  devices_ = FindMidiOutputDevices(kMidiMenuEntries - 1);
  std::vector<std::string> captions{kMapperCaption};
  for (const auto& device : devices_) captions.push_back(device.caption);
  return captions;
}

void MIDI_MOD::SelectMidiDevice(int index) { midiDeviceIndex_ = index; }

int MIDI_MOD::Close() {
  if (synthOpen_) {
    synth_.Close();
    synthOpen_ = false;
    return midi_retcode::kOk;
  }
  if (port_.IsOpen()) {
    port_.Close();
    return midi_retcode::kOk;
  }
  return midi_retcode::kNotOpen;
}

int MIDI_MOD::OpenMidiOutput() {
  midiRetCode_ = Close();
  lastOpenError_.clear();
  const int index = midiDeviceIndex_;
  if (index == 0) {
    try {
      synth_.Open();
      synthOpen_ = true;
      midiRetCode_ = midi_retcode::kOk;
    } catch (const SynthStartError& e) {
      lastOpenError_ = e.what();
      switch (e.Cause()) {
        case SynthFailure::NoSoundFont: midiRetCode_ = midi_retcode::kNoSoundFont; break;
        case SynthFailure::SoundFontUnreadable: midiRetCode_ = midi_retcode::kSoundFontUnreadable; break;
        case SynthFailure::SynthesizerFailed: midiRetCode_ = midi_retcode::kSynthesizerFailed; break;
      }
    }
    return midiRetCode_;
  }
  if (index < 0 || index > MidiDeviceCount()) {
    lastOpenError_ = "There is no MIDI device at entry " + std::to_string(index) + " of the device menu";
    midiRetCode_ = midi_retcode::kBadDeviceId;
    return midiRetCode_;
  }
  midiRetCode_ = port_.Open(devices_[static_cast<std::size_t>(index - 1)], lastOpenError_);
  return midiRetCode_;
}

void MIDI_MOD::CloseMidiOutput() { midiRetCode_ = Close(); }

void MIDI_MOD::UseSoundFont(const std::string& path) { synth_.UseSoundFont(path); }

void MIDI_MOD::UseSampleRate(int samplesPerSec) { synth_.UseSampleRate(samplesPerSec); }

TakeClock* MIDI_MOD::RenderClock() { return IsBuiltInSynthEntry(midiDeviceIndex_) ? takeClock_ : nullptr; }

void MIDI_MOD::SetChannelAndVelocity(int channel0to15, int velocity) {
  midiChannel_ = std::clamp(channel0to15, 0, 15);
  midiVelocity_ = DataByte(velocity);
}

void MIDI_MOD::SendProgramChange(int program) {
  Send(midi::ProgramChange(midiChannel_, DataByte(program)));
}

void MIDI_MOD::SendNoteOn(int note) { Send(midi::NoteOn(midiChannel_, DataByte(note), midiVelocity_)); }

void MIDI_MOD::SendNoteOff(int note) { Send(midi::NoteOff(midiChannel_, DataByte(note))); }

void MIDI_MOD::Send(uint32_t message) {
  lastMidiMessage_ = message;
  if (synthOpen_) {
    synth_.Apply(message);
    return;
  }
  const unsigned char bytes[3] = {midi::StatusByte(message), midi::DataByte1(message), midi::DataByte2(message)};
  port_.Send(bytes, static_cast<std::size_t>(midi::MessageLength(message)));
}

}  // namespace ntr
