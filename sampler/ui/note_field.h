// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The row editor's note field: it shows the row's note name and takes either
// a note name ("C#5", "c#5") or a MIDI note number ("61"), 0..127 either way.
// Accepting writes both the Note and the Number column from the one value,
// so the file name and the pitch played always agree.

#include <optional>
#include <string_view>

namespace ntr::ui {

// The MIDI note number the field's text stands for; nullopt when it is neither
// a note name of 0..127 ("C0".."G10") nor a whole number 0..127 (blanks around it are fine).
std::optional<int> ParseNoteField(std::string_view text);

}  // namespace ntr::ui
