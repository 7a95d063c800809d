// SPDX-License-Identifier: GPL-3.0-or-later
// "Monitor Input" on a fake input: the chosen input opened, the peak falling
// back slowly, the clip indicator held until clicked (and lit by a run's
// clipped take), the noise floor the quietest read.

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <deque>

#include "ui/frm_monitor_input.h"

namespace ntr::uitest {
namespace {

class FakeMeter : public InputMeterPort {
 public:
  std::vector<AudioInputEntry> AudioInputs() override { return {{"pulse:Line In", "Line In"}}; }
  void Open(const std::string& setting) override { opened.push_back(setting); }
  InputMeterReading Read() override {
    if (readings.empty()) return {};
    const InputMeterReading next = readings.front();
    readings.pop_front();
    return next;
  }
  void Close() override { ++closes; }
  std::string Description() const override { return "fake input"; }

  std::vector<std::string> opened;
  std::deque<InputMeterReading> readings;
  int closes = 0;
};

TEST(MonitorInput, HoldsTheClipAndFindsTheNoiseFloor) {
  FakeMeter meter;
  {
    ui::frmMonitorInput window(meter, "pulse:Line In");
    ASSERT_EQ(meter.opened, std::vector<std::string>{"pulse:Line In"});
    auto* clip = window.findChild<QPushButton*>("cbClip");
    meter.readings = {{4800, -0.1, -3.0, true},
                      {4800, -30.0, -40.0, false},
                      {4800, -50.0, -72.5, false},
                      {4800, -40.0, -45.0, false}};
    window.Poll();
    EXPECT_TRUE(window.Meter().ClipHeld());
    window.Poll();
    EXPECT_NEAR(window.Meter().PeakDbfs(), -0.1 - session::kPeakFallDbPerRead, 1e-9);  // falls back slowly
    EXPECT_EQ(window.Meter().RmsDbfs(), -40.0);
    window.Poll();
    window.Poll();
    EXPECT_TRUE(window.Meter().ClipHeld());
    EXPECT_EQ(window.Meter().NoiseFloorDbfs(), -72.5);
    EXPECT_EQ(window.findChild<QLabel*>("lbNoise")->text(), "-72.5 dBFS");
    QTest::mouseClick(clip, Qt::LeftButton);
    EXPECT_FALSE(window.Meter().ClipHeld());
    // A run's clipped take lights it again.
    TakeLevels levels;
    levels.peakDbfs = 0.0;
    levels.clipped = true;
    window.ShowTake("PATCH_000 C5", levels);
    EXPECT_TRUE(window.Meter().ClipHeld());
    EXPECT_TRUE(window.findChild<QLabel*>("lbTake")->text().contains("PATCH_000 C5"));
    EXPECT_EQ(window.Meter().NoiseFloorDbfs(), -72.5);  // a take is no reading of the input

    // Another input: nothing of the first held.
    auto* inputs = window.findChild<QComboBox*>("cbInput");
    ASSERT_EQ(inputs->count(), 2);
    inputs->setCurrentIndex(0);
    emit inputs->activated(0);
    EXPECT_EQ(meter.opened.back(), "");
    EXPECT_FALSE(window.Meter().NoiseFloorDbfs().has_value());
  }
  EXPECT_GE(meter.closes, 1);
}

}  // namespace
}  // namespace ntr::uitest
