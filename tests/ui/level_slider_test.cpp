// SPDX-License-Identifier: GPL-3.0-or-later
// The level sliders under the mouse: dragging a knob sends a level on every
// move and stops at the track's ends; releasing over a track puts the knob's
// top edge there; moving without a press changes nothing.

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

#include "support/window_rig.h"
#include "session/slider_geometry.h"

namespace ntr::uitest {
namespace {
using ui::kSliders;

class SliderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(rig.window.get()));
    rig.mixer.levels.clear();
  }
  QWidget* Knob(int i) { return rig.Find<QWidget>(QStringLiteral("imgVolume%1").arg(i)); }
  QWidget* Track(int i) { return rig.Find<QWidget>(QStringLiteral("lbVolume%1").arg(i)); }
  int KnobTop(int i) { return rig.window->CollectSettings().knobTops[static_cast<std::size_t>(i)]; }

  WindowRig rig;
};

TEST_F(SliderTest, DraggingMovesTheKnobAndSendsALevelOnEveryMove) {
  QWidget* knob = Knob(1);
  const int start = KnobTop(1);
  QTest::mousePress(knob, Qt::LeftButton, {}, QPoint(10, 5));
  EXPECT_TRUE(rig.mixer.levels.empty());  // a press sends nothing
  QTest::mouseMove(knob, QPoint(10, 5 - 10));  // 10 px = 150 twips up
  ASSERT_EQ(rig.mixer.levels.size(), 1u);
  EXPECT_EQ(KnobTop(1), start - 150);
  EXPECT_EQ(rig.mixer.levels[0].slider, 1);
  EXPECT_EQ(rig.mixer.levels[0].pos, 1155 - (start - 150 - 4260));
  EXPECT_EQ(rig.mixer.levels[0].travel, 1155);

  // Far past the top: the knob stops at the track's top (full level), on every move.
  QTest::mouseMove(knob, QPoint(10, -400));
  QTest::mouseMove(knob, QPoint(10, -300));
  EXPECT_EQ(KnobTop(1), kSliders[1].trackTop);
  EXPECT_EQ(rig.mixer.levels.back().pos, 1155);
  EXPECT_EQ(rig.mixer.levels.size(), 3u);
  // Far past the bottom: the lowest position, level 0.
  QTest::mouseMove(knob, QPoint(10, 400));
  EXPECT_EQ(KnobTop(1), kSliders[1].LowestKnobTop());
  EXPECT_EQ(rig.mixer.levels.back().pos, 0);

  QTest::mouseRelease(knob, Qt::LeftButton, {}, QPoint(10, 5));
  const std::size_t sent = rig.mixer.levels.size();
  QTest::mouseMove(knob, QPoint(10, -20));  // no button: nothing happens
  EXPECT_EQ(rig.mixer.levels.size(), sent);
  EXPECT_EQ(KnobTop(1), kSliders[1].LowestKnobTop());
}

TEST_F(SliderTest, ReleaseOnTheTrackPutsTheKnobsTopThere) {
  QWidget* track = Track(0);
  QTest::mouseClick(track, Qt::LeftButton, {}, QPoint(2, 20));  // 300 twips below the top
  EXPECT_EQ(KnobTop(0), 4260 + 300);
  ASSERT_EQ(rig.mixer.levels.size(), 1u);
  EXPECT_EQ(rig.mixer.levels[0].slider, 0);
  EXPECT_EQ(rig.mixer.levels[0].pos, 1155 - 300);

  // Within the lowest knob height of the track: the lowest position.
  QTest::mouseClick(track, Qt::LeftButton, {}, QPoint(2, track->height() - 2));
  EXPECT_EQ(KnobTop(0), kSliders[0].LowestKnobTop());
  EXPECT_EQ(rig.mixer.levels.back().pos, 0);
  QTest::mouseClick(track, Qt::LeftButton, {}, QPoint(2, 0));
  EXPECT_EQ(KnobTop(0), kSliders[0].trackTop);
  EXPECT_EQ(rig.mixer.levels.back().pos, 1155);
}

TEST_F(SliderTest, SavedKnobPositionsComeBackAtTheNextStart) {
  QTest::mouseClick(Track(2), Qt::LeftButton, {}, QPoint(2, 40));
  rig.dialogs.answers = {true};
  rig.Action("mSave")->trigger();
  EXPECT_EQ(rig.Store().Read("OutVolume"), "4860");

  QFile saved(rig.SettingsPath());
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  WindowRig next(saved.readAll().toStdString());
  EXPECT_EQ(next.window->CollectSettings().knobTops[2], 4860);
  EXPECT_EQ(next.mixer.levels.back().pos, 1155 - 600);
}

}  // namespace
}  // namespace ntr::uitest
