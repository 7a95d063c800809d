// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/note_field.h"

#include <cctype>
#include <string>

#include "engine/events/note_names.h"
#include "engine/events/text_numbers.h"

namespace ntr::ui {

namespace {

std::optional<int> ParseNoteName(std::string_view text) {
  // The longest pitch name that matches wins ("C#" before "C").
  for (int pitch = 11; pitch >= 0; --pitch) {
    const std::string_view name = NoteNames[static_cast<std::size_t>(pitch)];
    if (text.size() <= name.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size(); ++i) {
      same = same && std::toupper(static_cast<unsigned char>(text[i])) == name[i];
    }
    if (!same) continue;
    const std::string_view octave = text.substr(name.size());
    if (octave.size() > 2) return std::nullopt;
    int value = 0;
    for (const char c : octave) {
      if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
      value = value * 10 + (c - '0');
    }
    const int note = value * 12 + pitch;
    if (note > 127) return std::nullopt;
    return note;
  }
  return std::nullopt;
}

}  // namespace

std::optional<int> ParseNoteField(std::string_view text) {
  const std::string_view trimmed = TrimBlanks(text);
  if (const auto number = ParseNumber(trimmed)) {
    // A number must be a whole note number: "60.5" names no key.
    if (*number != RoundHalfEven(*number) || *number < 0 || *number > 127) return std::nullopt;
    return static_cast<int>(*number);
  }
  return ParseNoteName(trimmed);
}

}  // namespace ntr::ui
