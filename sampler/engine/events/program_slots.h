// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program list ("0-127", "1,5,9", "10-20,3") parsed into the table of
// program slots that a per-program run goes through, slot by slot.

#include <array>
#include <string_view>

namespace ntr {

inline constexpr int kEmptySlot = -1;
inline constexpr int kSlotCount = 128;

struct ProgramSlots {
  // Programs 0..127 in the order the list names them, duplicates included;
  // kEmptySlot where nothing was written or where an empty item ("1,,2") used a slot.
  std::array<int, kSlotCount> PatchSlots;
  // Slots that hold a program; 1 when the list text is empty (a single pass).
  int PatchCount = 1;

  ProgramSlots() { PatchSlots.fill(kEmptySlot); }
};

// Parses a program list. Digits build a number, "-" makes the number read so
// far the start of a range, "," ends an item, anything else is ignored.
// Ranges run upwards only ("9-3" names nothing), numbers above 127 count as
// 127, and an empty item fills one slot with kEmptySlot.
// Beyond the data model's limits: a number of any length saturates (it still
// counts as 127), and programs that would need a slot past the 128th are
// ignored, so "0-127,5" is the same as "0-127".
ProgramSlots ParseProgramList(std::string_view text);

// True when the list, trimmed of blanks, is empty: the run then makes a single
// pass without program changes.
bool IsProgramListEmpty(std::string_view text);

// The key filter of the program list field: control characters (below 32),
// digits, "," and "-" pass; every other key is refused (the window beeps).
bool ProgramListAcceptsKey(int characterCode);

}  // namespace ntr
