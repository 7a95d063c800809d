// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the name of a take says: its program, its note, and, for takes made
// with velocity layers or round robins, its velocity and round:
//   PATCH005_C#4.WAV            (one layer, one round)
//   PATCH005_C#4_V080.WAV       (a layer at velocity 80, one round)
//   PATCH005_C#4_V080_R2.WAV    (the second round of that layer)
// The program tag is "XXX" or three or more digits; the note name is the one
// NoteName gives (engine/note_names.h).

#include <optional>
#include <string>
#include <string_view>

namespace ntr::instrument {

struct TakeName {
  std::string programTag;        // "XXX", "005"
  std::string noteName;          // "C#4"
  int note = 0;                  // the MIDI note of the name
  std::optional<int> velocity;   // from "_V<vvv>"; none for a take of one layer
  int round = 1;                 // from "_R<n>", 1 without it
};

// The parts of a take's file name (without its folder); nullopt for any other
// file (a report, a temporary take, an instrument file). The extension ".WAV"
// is matched without regard to case.
std::optional<TakeName> ParseTakeName(std::string_view fileName);

// The MIDI note of a note name ("C5" is 60); nullopt for a text that is none.
std::optional<int> NoteOfName(std::string_view noteName);

}  // namespace ntr::instrument
