// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "MIDI Devices" menu, as every part of the program counts it: entry 0 is
// "MIDI Mapper", the built-in synthesizer (recorded from its own output), and
// entries 1 to 9 are the MIDI output ports found at start-up. The stored
// "MidiDev" is an entry of this menu.

namespace ntr {

inline constexpr int kBuiltInSynthEntry = 0;
inline constexpr int kMidiMenuEntries = 10;
inline constexpr int kLastMidiMenuEntry = kMidiMenuEntries - 1;

constexpr bool IsBuiltInSynthEntry(int entry) { return entry == kBuiltInSynthEntry; }
constexpr bool IsMidiMenuEntry(int entry) { return entry >= 0 && entry < kMidiMenuEntries; }

}  // namespace ntr
