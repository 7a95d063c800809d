// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The event list: the rows a run plays and records, one per note, generated
// from the note and octave selection of the main window, plus the program
// slots parsed from the program list at the same time. The window's grid
// shows this model; the run reads it row by row.
//
// Used on the user-interface thread only. It changes only through its own
// non-const calls (generation, the row editor), which the window makes, so the
// window refreshes its grid around them. A run reads the row at its own index
// at every event, so a list regenerated while a run is suspended is safe.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/events/event_row.h"
#include "engine/events/program_slots.h"

namespace ntr {

// What "Generate Events" and "Add Events" read from the window. Generation
// normalises the three number fields in place so the window can show them:
// velocity "300" -> "127", "abc" -> "127"; duration "40000" -> "32000",
// non-numeric -> "2000"; decay non-numeric -> "2000"; limits 0..127, 0..32000, 0..32000.
struct EventSelection {
  std::array<bool, 12> notes{};    // pitch classes C..B (chNote 0..11)
  std::array<bool, 11> octaves{};  // octave boxes (chOctave 0..10)
  std::string velocity = "127";    // txtKeyVelocity
  std::string duration = "2000";   // txtNotesDuration, milliseconds
  std::string decay = "500";       // txtNotesDecay, milliseconds
  std::string channel = "1";       // dbcMidiChannell text, copied into the rows as is
  std::string programList;         // txtPatches
  // Every note once per velocity layer and round (take_layers.h): the layer
  // list as stored ("" one layer at `velocity`; a text that is not a layer
  // list counts as "") and the rounds, 1..8.
  std::string velocityLayers;
  int roundRobins = 1;
};

class EventList {
 public:
  // "Generate Events" (clearFirst true) or "Add Events" (false): normalises the
  // fields of the selection, replaces or extends the rows (octave by octave
  // from the lowest, rising pitch within an octave; with layers or rounds,
  // every take of a note in a row of its own) and parses the program list.
  void GenerateEvents(EventSelection& selection, bool clearFirst);

  std::size_t RowCount() const { return rows_.size(); }
  const EventRow& Row(std::size_t index) const { return rows_.at(index); }
  const std::vector<EventRow>& Rows() const { return rows_; }

  // The row editor's Accept: replaces one row.
  void SetRow(std::size_t index, EventRow row) { rows_.at(index) = std::move(row); }
  void AppendRow(EventRow row) { rows_.push_back(std::move(row)); }
  void Clear() { rows_.clear(); }

  // The program slots of the last generation (a run in per-program mode uses them).
  const ProgramSlots& Slots() const { return slots_; }

 private:
  std::vector<EventRow> rows_;
  ProgramSlots slots_;
};

// The estimated length of a run in whole seconds (halves to even):
// (duration + decay) x programs x rows milliseconds, in 64-bit arithmetic.
// Texts that are not numbers count as 0.
std::int64_t EstimatedRunSeconds(const std::string& duration, const std::string& decay, std::size_t rows,
                                 int patchCount);
// The same in milliseconds, not rounded: what further terms are added to.
std::int64_t EstimatedRunMillis(const std::string& duration, const std::string& decay, std::size_t rows,
                                int patchCount);

}  // namespace ntr
