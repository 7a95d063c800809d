// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// From a slider knob's position to a mixer level. Pure functions.
//
// The top of a track is loud, the bottom quiet. The level is the knob's share
// of its travel times the control's Maximum, plus its Minimum (the Minimum is
// added to the scaled Maximum; the scale is not Maximum - Minimum). Every
// rounding goes to the nearest integer, halves to the even neighbour.

#include <cstdint>

namespace ntr {

// The value range of one mixer control; Current is set to Minimum at open.
struct LevelRange {
  int32_t Minimum = 0;
  int32_t Maximum = 0;
  int32_t Current = 0;
};

double RoundToNearestEven(double value);

// pos / travel * Maximum + Minimum, rounded, kept within 32 bits (a travel of
// 0 gives Minimum).
int32_t KnobLevel(int pos, int travel, const LevelRange& range);

// The level the control can take: the mapping above exceeds Maximum whenever
// Minimum is not 0, and knob positions read from the settings may lie outside
// the track; the mixer would refuse such values.
int32_t ClampToRange(int32_t level, const LevelRange& range);

}  // namespace ntr
