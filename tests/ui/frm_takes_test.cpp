// SPDX-License-Identifier: GPL-3.0-or-later
// The take browser on a folder without a report: its takes listed from their
// names and measured, the selected one drawn with its loop, played through
// the player it was given with Space, and Play refused without one.

#include <gtest/gtest.h>
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "quendal/pcm_wav.h"
#include "quendal/unity_note.h"
#include "quendal/wav_smpl.h"
#include "session/take_list.h"
#include "ui/frm_takes.h"
#include "ui/take_table_model.h"
#include "ui/waveform_view.h"

namespace ntr::uitest {
namespace {

constexpr int kRate = 8000;

class FakePlayer : public PlayerPort {
 public:
  std::string Unavailable() override { return {}; }
  void Play(std::vector<float> samples, int channels, int sampleRate) override {
    played.push_back({std::move(samples), channels, sampleRate});
    playing = true;
  }
  void Stop() override {
    ++stops;
    playing = false;
  }
  bool Playing() const override { return playing; }

  struct Played {
    std::vector<float> samples;
    int channels;
    int rate;
  };
  std::vector<Played> played;
  int stops = 0;
  bool playing = false;
};

// One second of 16-bit mono: a sine at `amplitude`, and a loop [loopStart, loopEnd) when given.
void WriteTake(const QString& path, double amplitude, int loopStart = -1, int loopEnd = -1) {
  std::string bytes;
  for (int i = 0; i < kRate; ++i) {
    const auto v = static_cast<int16_t>(std::lround(amplitude * 32767.0 * std::sin(2 * M_PI * 220.0 * i / kRate)));
    bytes.push_back(static_cast<char>(v & 0xff));
    bytes.push_back(static_cast<char>((v >> 8) & 0xff));
  }
  auto wav = quendal::MakePcmWav({kRate, 16, 1}, std::move(bytes));
  quendal::ApplyUnityNote(*wav, 60);
  if (loopStart >= 0) {
    wav->SmplChunk->WavSmplLoops->Add(0, 0, loopStart, loopEnd, 0, 0);
    wav->SmplChunk->SampleLoopsNumber = 1;
    wav->SmplChunk->ChunkSize = 36 + 24;
  }
  wav->PutWavFile(path.toStdString(), true);
}

TEST(TakeBrowser, MeasuresDrawsAndPlaysTheTakesOfAFolderWithoutReport) {
  QTemporaryDir dir;
  const QString folder = dir.filePath("Organ");
  ASSERT_TRUE(QDir().mkpath(folder + "/PATCH_XXX"));
  WriteTake(folder + "/PATCH_XXX/PATCHXXX_C5.WAV", 0.5, kRate / 2, kRate * 3 / 4);
  WriteTake(folder + "/PATCH_XXX/PATCHXXX_A4.WAV", 0.0);
  WriteTake(folder + "/PATCH_XXX/notes.WAV", 0.5);  // no take's name: not listed

  session::TakeFolder list = session::ListTakeFolder(folder.toStdString());
  EXPECT_FALSE(list.hasReport);
  FakePlayer player;
  ui::frmTakes browser(std::move(list), &player);
  browser.show();
  EXPECT_EQ(browser.windowTitle(), "Takes - Organ");
  ui::TakeTableModel& model = browser.Model();
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.Take(0).noteName, "A4");  // by note
  EXPECT_EQ(model.Take(1).noteName, "C5");

  // Measured in the background, the silent one told apart.
  const auto status = [&model](int row) { return model.index(row, ui::TakeTableModel::Status).data().toString(); };
  QTRY_COMPARE_WITH_TIMEOUT(status(0), QString("silent"), 10000);
  QTRY_COMPARE_WITH_TIMEOUT(status(1), QString("saved"), 10000);
  EXPECT_EQ(model.index(1, ui::TakeTableModel::Peak).data().toString(), "-6.0");

  browser.SelectRow(1);
  ui::WaveformView& wave = browser.Waveform();
  QTRY_VERIFY_WITH_TIMEOUT(wave.HasOverview(), 10000);
  const QImage image = wave.grab().toImage();
  const int w = image.width();
  const QRgb background = ui::WaveformView::Background().rgb();
  int drawn = 0;
  for (int x = 0; x < w; ++x) drawn += image.pixel(x, image.height() / 2) != background;
  EXPECT_GT(drawn, w * 9 / 10);
  // The loop (the third quarter): its band and marks near the top, where the wave never reaches.
  const auto top = [&image](double at) {
    return image.pixel(static_cast<int>(std::lround(at * (image.width() - 1))), 2);
  };
  EXPECT_EQ(top(0.25), background);
  EXPECT_NE(top(0.6), background);
  EXPECT_EQ(top(0.5), ui::WaveformView::LoopMark().rgb());
  EXPECT_EQ(top(0.75), ui::WaveformView::LoopMark().rgb());

  // Space plays the selected take whole, and stops it.
  auto* play = browser.findChild<QPushButton*>("cbPlay");
  ASSERT_TRUE(play->isEnabled());
  QTest::keyClick(browser.findChild<QTableView*>("dbgTakes"), Qt::Key_Space);
  ASSERT_EQ(player.played.size(), 1u);
  EXPECT_EQ(player.played[0].samples.size(), static_cast<std::size_t>(kRate));
  EXPECT_EQ(player.played[0].rate, kRate);
  EXPECT_NEAR(player.played[0].samples[kRate / 40 + 10], 0.5 * std::sin(2 * M_PI * 220.0 * (kRate / 40 + 10) / kRate),
              1e-3);
  EXPECT_EQ(play->text(), "Stop");
  QTest::keyClick(browser.findChild<QTableView*>("dbgTakes"), Qt::Key_Space);
  EXPECT_FALSE(player.playing);
  EXPECT_EQ(play->text(), "Play");

  // Without an output: Play is disabled and says why.
  ui::frmTakes silent(session::ListTakeFolder(folder.toStdString()), nullptr);
  auto* noPlay = silent.findChild<QPushButton*>("cbPlay");
  EXPECT_FALSE(noPlay->isEnabled());
  EXPECT_EQ(noPlay->toolTip(), ui::kNoPlayerTip);
}

}  // namespace
}  // namespace ntr::uitest
