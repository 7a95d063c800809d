// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/mixer/level_mapping.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ntr {

double RoundToNearestEven(double value) {
  // Independent of the floating-point rounding mode: exact halves go to the even neighbour.
  if (std::fabs(value - std::trunc(value)) == 0.5) return 2.0 * std::round(value / 2.0);
  return std::round(value);
}

int32_t KnobLevel(int pos, int travel, const LevelRange& range) {
  if (travel == 0) return range.Minimum;
  const double level = RoundToNearestEven(static_cast<double>(pos) / travel * range.Maximum + range.Minimum);
  return static_cast<int32_t>(std::clamp(level, static_cast<double>(std::numeric_limits<int32_t>::min()),
                                         static_cast<double>(std::numeric_limits<int32_t>::max())));
}

int32_t ClampToRange(int32_t level, const LevelRange& range) {
  if (range.Maximum < range.Minimum) return range.Minimum;
  return std::clamp(level, range.Minimum, range.Maximum);
}

}  // namespace ntr
