// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/events/note_names.h"

#include <algorithm>

namespace ntr {

std::string NoteName(int note) {
  return std::string(NoteNames[static_cast<std::size_t>(note % 12)]) + std::to_string(note / 12);
}

OctaveRange OctaveNotes(int octave) { return {octave * 12, std::min(octave * 12 + 11, 127)}; }

std::string OctaveCaption(int octave) {
  const OctaveRange range = OctaveNotes(octave);
  return "From " + NoteName(range.low) + " to " + NoteName(range.high);
}

std::string SelectedNotesCaption(const std::array<bool, 12>& notes) {
  std::string caption;
  for (std::size_t i = 0; i < notes.size(); ++i) {
    if (notes[i]) caption += std::string(NoteNames[i]) + " ";
  }
  return caption;
}

}  // namespace ntr
