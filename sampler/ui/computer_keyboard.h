// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The computer keyboard as a piano keyboard: the lower letter row from Z
// (with S, D, G, H, J as black keys) plays one octave from C, the upper row
// from Q (with 2, 3, 5, 6, 7) the next; the comma, L, period, semicolon and
// slash go on into a third (C, C#, D, D#, E), as trackers lay it out.
// Left and Right move the octaves, Up and Down the velocity.

#include <optional>

namespace ntr::ui {

inline constexpr int kFirstKeyboardOctave = 4;  // Z plays C4 (note 48)
inline constexpr int kVelocityStep = 16;

// The note a key plays with the lower row starting at C of `octave` (C5 is
// 60); nullopt for a key that plays none, or a note beyond 0..127.
std::optional<int> NoteOfKey(int qtKey, int octave);

}  // namespace ntr::ui
