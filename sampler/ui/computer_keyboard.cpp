// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/computer_keyboard.h"

#include <Qt>
#include <array>
#include <utility>

namespace ntr::ui {

namespace {

// Each key with its semitones above the lower row's C.
constexpr std::array<std::pair<int, int>, 29> kKeys{{
    {Qt::Key_Z, 0},          {Qt::Key_S, 1},      {Qt::Key_X, 2},      {Qt::Key_D, 3},  {Qt::Key_C, 4},
    {Qt::Key_V, 5},          {Qt::Key_G, 6},      {Qt::Key_B, 7},      {Qt::Key_H, 8},  {Qt::Key_N, 9},
    {Qt::Key_J, 10},         {Qt::Key_M, 11},     {Qt::Key_Comma, 12}, {Qt::Key_L, 13}, {Qt::Key_Period, 14},
    {Qt::Key_Semicolon, 15}, {Qt::Key_Slash, 16}, {Qt::Key_Q, 12},     {Qt::Key_2, 13}, {Qt::Key_W, 14},
    {Qt::Key_3, 15},         {Qt::Key_E, 16},     {Qt::Key_R, 17},     {Qt::Key_5, 18}, {Qt::Key_T, 19},
    {Qt::Key_6, 20},         {Qt::Key_Y, 21},     {Qt::Key_7, 22},     {Qt::Key_U, 23},
}};

}  // namespace

std::optional<int> NoteOfKey(int qtKey, int octave) {
  for (const auto& [key, semitones] : kKeys) {
    if (key != qtKey) continue;
    const int note = octave * 12 + semitones;
    if (note < 0 || note > 127) return std::nullopt;
    return note;
  }
  return std::nullopt;
}

}  // namespace ntr::ui
