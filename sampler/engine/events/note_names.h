// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Note names and the note and octave selection of the main window.

#include <array>
#include <string>
#include <string_view>

namespace ntr {

// Pitch-class names, index 0 (C) to 11 (B): the captions/tags of the twelve note keys.
inline constexpr std::array<std::string_view, 12> NoteNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                               "F#", "G",  "G#", "A",  "A#", "B"};

inline constexpr int kOctaveCount = 11;  // octave boxes 0..10; box 10 covers notes 120..127

// The name of MIDI note 0..127: pitch name and octave, "C0", "C#5", "G10" (60 is "C5").
std::string NoteName(int note);

// The lowest and highest MIDI note of octave box k (0..10).
struct OctaveRange {
  int low;
  int high;
};
OctaveRange OctaveNotes(int octave);

// "From C0 to B0" ... "From C10 to G10": the caption of octave box k.
std::string OctaveCaption(int octave);

// The caption of the selected-notes panel: the name of every selected pitch
// class, each followed by one blank ("C C# ... B " with all twelve, "" with none).
std::string SelectedNotesCaption(const std::array<bool, 12>& notes);

}  // namespace ntr
