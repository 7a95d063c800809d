// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One row of the event list: six text columns, as the grid shows them, and
// which take of its note the row is when a note is recorded more than once.

#include <array>
#include <string>
#include <string_view>

namespace ntr {

enum class EventColumn { Note = 0, Vel, Chn, Time, Decay, Number };
inline constexpr int kEventColumnCount = 6;

// Column captions in column order (the Time column is shown as "Duration").
inline constexpr std::array<std::string_view, kEventColumnCount> kEventColumnCaptions = {
    "Note", "Vel", "Chn", "Duration", "Decay", "Number"};

// Every value is text; the run converts what it needs. A row carries no
// program: every program of the program list is sampled with every row.
struct EventRow {
  std::string Note;    // note name ("C#5"): names the file
  std::string Vel;     // velocity 0..127 (shown only: the run plays the window's, see OwnVelocity)
  std::string Chn;     // channel 1..16 (shown only; the run uses the window's channel)
  std::string Time;    // how long the note is held, milliseconds
  std::string Decay;   // how long recording goes on after note off, milliseconds
  std::string Number;  // MIDI note number 0..127: the pitch played and the unity note

  // Not columns: set by generation with velocity layers or round robins
  // (take_layers.h). A row with OwnVelocity plays its Vel rather than the
  // window's velocity; a Suffixed one (more than one take of its note) also
  // names its file after that velocity ("_V080") and its Round ("_R2").
  bool OwnVelocity = false;
  bool Suffixed = false;
  int Round = 0;  // 1.. with round robins; 0 with one round

  const std::string& Cell(EventColumn column) const;
  std::string& Cell(EventColumn column);

  // The six values joined by tabs, in column order ("C#5\t127\t1\t2000\t500\t61").
  std::string ToTabText() const;
  // The reverse; missing trailing values stay empty, extra ones are dropped.
  static EventRow FromTabText(std::string_view text);

  bool operator==(const EventRow&) const = default;
};

}  // namespace ntr
