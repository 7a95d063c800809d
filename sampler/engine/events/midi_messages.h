// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three MIDI short messages the sampler sends, as one 32-bit value with the
// status byte in bits 0-7, the first data byte in 8-15 and the second in 16-23.
// Shared by every MIDI output (real device, built-in synthesizer, test fakes).

#include <cstdint>

namespace ntr::midi {

constexpr uint32_t ProgramChange(int channel, int program) {
  return static_cast<uint32_t>(program) * 256u + 192u + static_cast<uint32_t>(channel);
}
constexpr uint32_t NoteOn(int channel, int note, int velocity) {
  return static_cast<uint32_t>(note) * 256u + 144u + static_cast<uint32_t>(velocity) * 65536u +
         static_cast<uint32_t>(channel);
}
constexpr uint32_t NoteOff(int channel, int note) {
  return static_cast<uint32_t>(note) * 256u + 128u + static_cast<uint32_t>(channel);
}

// The bytes on the wire: status, first data byte, second data byte (when the
// message has one: program change carries a single data byte).
constexpr uint8_t StatusByte(uint32_t message) { return message & 0xFFu; }
constexpr uint8_t DataByte1(uint32_t message) { return (message >> 8) & 0xFFu; }
constexpr uint8_t DataByte2(uint32_t message) { return (message >> 16) & 0xFFu; }
constexpr int MessageLength(uint32_t message) { return (StatusByte(message) & 0xF0u) == 0xC0u ? 2 : 3; }

static_assert(NoteOn(15, 127, 127) == 0x007F7F9Fu);
static_assert(NoteOff(15, 127) == 0x00007F8Fu);
static_assert(ProgramChange(0, 0) == 0x000000C0u);

}  // namespace ntr::midi
