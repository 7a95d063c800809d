// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A MIDI output that records every short message with the time it was sent.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/ports.h"

namespace ntr::fakes {

struct SentMessage {
  double time;
  std::uint32_t message;  // as the device would receive it (engine/midi_messages.h)
};

class FakeMidiOutput : public MidiOutputPort {
 public:
  explicit FakeMidiOutput(ClockPort& clock) : clock_(clock) {}

  int OpenMidiOutput() override;
  std::string LastOpenError() const override { return openError; }
  void CloseMidiOutput() override;
  void SetChannelAndVelocity(int channel0to15, int velocity) override;
  void SendProgramChange(int program) override;
  void SendNoteOn(int note) override;
  void SendNoteOff(int note) override;

  // Set by the test.
  int openResult = 0;     // what OpenMidiOutput returns
  std::string openError;  // what LastOpenError says
  std::function<void(std::uint32_t)> onSend;  // after each message is logged

  // Observed.
  std::vector<SentMessage> sent;
  int opens = 0;
  int closes = 0;
  bool isOpen = false;
  int channel = -1;
  int velocity = -1;
  int sentWhileClosed = 0;  // messages sent with the output closed (a fault)

  std::vector<std::uint32_t> Messages() const;

 private:
  void Send(std::uint32_t message);

  ClockPort& clock_;
};

}  // namespace ntr::fakes
