// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/events/program_slots.h"

#include <algorithm>

#include "engine/events/text_numbers.h"

namespace ntr {

namespace {

constexpr int kHighestProgram = 127;
// Any value above 127 behaves alike; saturating keeps long digit runs in range.
constexpr int kNumberCeiling = 32767;

class SlotWriter {
 public:
  explicit SlotWriter(ProgramSlots& slots) : slots_(slots) {}

  // Writes the programs of one item: the range lo..cur, or cur alone.
  void Emit(int lo, int cur) {
    int first = lo == -1 ? cur : lo;
    first = std::min(first, kHighestProgram);
    const int last = std::min(cur, kHighestProgram);
    for (int program = first; program <= last; ++program) Put(program);
  }

 private:
  void Put(int program) {
    if (next_ >= kSlotCount) return;  // the table is full: the rest is ignored
    slots_.PatchSlots[static_cast<std::size_t>(next_++)] = program;
  }

  ProgramSlots& slots_;
  int next_ = 0;
};

}  // namespace

ProgramSlots ParseProgramList(std::string_view text) {
  ProgramSlots slots;
  const std::string_view list = TrimBlanks(text);
  if (list.empty()) {
    slots.PatchCount = 1;
    return slots;
  }

  SlotWriter writer(slots);
  int lo = -1;
  int cur = -1;
  for (const char c : list) {
    if (c >= '0' && c <= '9') {
      const int digit = c - '0';
      cur = cur == -1 ? digit : std::min(cur * 10 + digit, kNumberCeiling);
    } else if (c == '-') {
      lo = cur;
      cur = -1;
    } else if (c == ',') {
      writer.Emit(lo, cur);
      lo = -1;
      cur = -1;
    }
  }
  if (cur != -1) writer.Emit(lo, cur);

  slots.PatchCount = static_cast<int>(
      std::count_if(slots.PatchSlots.begin(), slots.PatchSlots.end(), [](int s) { return s != kEmptySlot; }));
  return slots;
}

bool IsProgramListEmpty(std::string_view text) { return TrimBlanks(text).empty(); }

bool ProgramListAcceptsKey(int characterCode) {
  return characterCode < 32 || (characterCode >= '0' && characterCode <= '9') || characterCode == ',' ||
         characterCode == '-';
}

}  // namespace ntr
