// SPDX-License-Identifier: GPL-3.0-or-later
// Knob position to mixer level, with fake control ranges.
#include <gtest/gtest.h>

#include <limits>

#include "devices/mixer/level_mapping.h"

namespace ntr {
namespace {

constexpr int kTravel = 1335 - 180;  // track height - knob height
constexpr double kTrackTop = 4260;

TEST(LevelMapping, RoundsHalvesToEven) {
  EXPECT_EQ(RoundToNearestEven(2.5), 2);
  EXPECT_EQ(RoundToNearestEven(3.5), 4);
  EXPECT_EQ(RoundToNearestEven(-2.5), -2);
  EXPECT_EQ(RoundToNearestEven(-3.5), -4);
  EXPECT_EQ(RoundToNearestEven(2.4999), 2);
  EXPECT_EQ(RoundToNearestEven(2.5001), 3);
}

TEST(LevelMapping, ZeroBasedRangeScalesToMaximum) {
  const LevelRange range{0, 65535, 0};
  EXPECT_EQ(KnobLevel(kTravel, kTravel, range), 65535);
  EXPECT_EQ(KnobLevel(0, kTravel, range), 0);
  const int32_t atDefault = KnobLevel(346, kTravel, range);
  EXPECT_EQ(atDefault, 19632);  // 346 / 1155 * 65535 = 19631.95...
  EXPECT_NEAR(atDefault, 0.3 * 65535, 0.005 * 65535);
}

TEST(LevelMapping, MinimumIsAddedToScaledMaximum) {
  const LevelRange range{-10, 100, -10};
  EXPECT_EQ(KnobLevel(kTravel, kTravel, range), 90);
  EXPECT_EQ(KnobLevel(0, kTravel, range), -10);
  const LevelRange raised{5, 100, 5};
  EXPECT_EQ(KnobLevel(kTravel, kTravel, raised), 105);
  EXPECT_EQ(ClampToRange(105, raised), 100);  // what reaches the mixer
  EXPECT_EQ(ClampToRange(-3, raised), 5);
  EXPECT_EQ(ClampToRange(50, raised), 50);
}

TEST(LevelMapping, UnopenedOrMissingControlGivesZero) {
  const LevelRange none{};
  EXPECT_EQ(KnobLevel(kTravel, kTravel, none), 0);
  EXPECT_EQ(KnobLevel(500, kTravel, none), 0);
  EXPECT_EQ(ClampToRange(0, none), 0);
}

TEST(LevelMapping, PositionsFarOutsideTheTrackStayWithin32Bits) {
  const LevelRange range{0, std::numeric_limits<int32_t>::max(), 0};
  EXPECT_EQ(KnobLevel(std::numeric_limits<int>::max(), 1, range), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(KnobLevel(std::numeric_limits<int>::min(), 1, range), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(KnobLevel(10, 0, LevelRange{7, 9, 7}), 7);  // no travel: the minimum
}

}  // namespace
}  // namespace ntr
