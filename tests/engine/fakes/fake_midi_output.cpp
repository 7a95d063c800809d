// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes/fake_midi_output.h"

#include "engine/events/midi_messages.h"

namespace ntr::fakes {

int FakeMidiOutput::OpenMidiOutput() {
  ++opens;
  isOpen = openResult == 0;
  return openResult;
}

void FakeMidiOutput::CloseMidiOutput() {
  ++closes;
  isOpen = false;
}

void FakeMidiOutput::SetChannelAndVelocity(int channel0to15, int velocity0to127) {
  channel = channel0to15;
  velocity = velocity0to127;
}

void FakeMidiOutput::SendProgramChange(int program) { Send(midi::ProgramChange(channel, program)); }
void FakeMidiOutput::SendNoteOn(int note) { Send(midi::NoteOn(channel, note, velocity)); }
void FakeMidiOutput::SendNoteOff(int note) { Send(midi::NoteOff(channel, note)); }

void FakeMidiOutput::Send(std::uint32_t message) {
  if (!isOpen) ++sentWhileClosed;
  sent.push_back({clock_.Now(), message});
  if (onSend) onSend(message);
}

std::vector<std::uint32_t> FakeMidiOutput::Messages() const {
  std::vector<std::uint32_t> messages;
  for (const SentMessage& m : sent) messages.push_back(m.message);
  return messages;
}

}  // namespace ntr::fakes
