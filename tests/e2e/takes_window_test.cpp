// SPDX-License-Identifier: GPL-3.0-or-later
// The take browser on what a real run leaves: a fast run of the built-in
// instrument by the NTR binary, then the browser (as `ntr --takes` opens it,
// offscreen) on the instrument's folder: a row per take with the report's
// figures, and the selected take's waveform drawn.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "devices/device_layer.h"
#include "session/take_list.h"
#include "session/take_retake.h"
#include "support/child_process.h"
#include "support/manual_clock.h"
#include "support/take_checks.h"
#include "support/temp_folder.h"
#include "ui/frm_takes.h"
#include "ui/take_table_model.h"
#include "ui/waveform_view.h"

namespace ntr::e2e {
namespace {

const std::string kProgram = NTR_PROGRAM;

// A fast run of C4, E4 and A4 by the NTR binary; returns its instrument's folder.
std::string MakeFastRun(test::TempFolder& temp) {
  const std::string settings = temp.File("settings.ini");
  std::ofstream(settings) << "[Parameters]\nNotes=010000000100000000010000\nOctaves=0000000001000000000000\n"
                             "Channel=1\nPrograms=\nVelocity=100\nDuration=400\nDecay=200\nRate=44 kHz\nBits=16\n"
                             "Channels=Stereo\nEmbedded=-1\nGear=Grand Piano\nFolder="
                          << temp.File("samples") << "\nMidiDev=0\n";
  const Finished run = RunToEnd(kProgram, {"--batch", "--settings", settings, "--fast"}, temp.File(""), 90);
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  return temp.File("samples") + "/Grand_Piano";
}

std::string Bytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(TakesWindow, ListsAndDrawsTheTakesOfAFastRun) {
  test::TempFolder temp;
  const std::string folder = MakeFastRun(temp);
  ASSERT_FALSE(HasFailure());

  ui::frmTakes browser(session::ListTakeFolder(folder), nullptr);
  browser.show();
  EXPECT_EQ(browser.windowTitle(), "Takes - Grand_Piano");
  ui::TakeTableModel& model = browser.Model();
  std::set<std::string> listed{"Grand_Piano/ntr-run.json"};
  for (int row = 0; row < model.rowCount(); ++row) {
    const session::TakeEntry& take = model.Take(row);
    listed.insert("Grand_Piano/" + take.file);
    EXPECT_EQ(take.status, "saved") << take.file;
    ASSERT_TRUE(take.figures.has_value()) << take.file;  // from the report, not measured here
    EXPECT_GT(take.figures->peakDbfs, -40.0) << take.file;
    EXPECT_EQ(take.velocity, 100);
  }
  EXPECT_EQ(listed, ExpectedTakes("Grand_Piano", {"XXX"}, {"C4", "E4", "A4"}));
  EXPECT_EQ(model.index(0, ui::TakeTableModel::Note).data().toString(), "C4");

  ui::WaveformView& wave = browser.Waveform();
  QTRY_VERIFY_WITH_TIMEOUT(wave.HasOverview(), 10000);
  const QImage image = wave.grab().toImage();
  // The note sounds from the start to its release: the wave crosses the middle row there.
  int drawn = 0;
  const int noteEnd = image.width() * 400 / 600;
  for (int x = 0; x < noteEnd; ++x) drawn += image.pixel(x, image.height() / 2) != ui::WaveformView::Background().rgb();
  EXPECT_GT(drawn, noteEnd * 9 / 10);
  // Its farthest point from the middle is the take's peak.
  int top = image.height();
  int bottom = -1;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != ui::WaveformView::Wave().rgb()) continue;
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  const double middle = (image.height() - 1) / 2.0;
  const double peak = std::pow(10.0, model.Take(0).figures->peakDbfs / 20.0);
  EXPECT_NEAR(std::max(middle - top, bottom - middle), peak * middle, 2.0);

  // `ntr --takes` is the same window; a folder it cannot read is refused on stderr.
  const Finished refused = RunToEnd(kProgram, {"--takes", temp.File("no such folder")}, temp.File(""), 30,
                                    {{"QT_QPA_PLATFORM", "offscreen"}});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("cannot read the folder"), std::string::npos) << refused.err;
}

struct KeptMessages : MessagePort {
  std::vector<std::string> texts;
  void ShowMessage(const std::string& /*title*/, const std::string& text, MessageIcon /*icon*/) override {
    texts.push_back(text);
  }
};

// One take of the run made again, shorter: only its file changes, in place,
// and the report keeps the others and marks it.
TEST(TakesWindow, RetakeReplacesOneTakeAndMarksItInTheReport) {
  test::TempFolder temp;
  const std::string folder = MakeFastRun(temp);
  ASSERT_FALSE(HasFailure());
  const session::TakeFolder before = session::ListTakeFolder(folder);
  ASSERT_EQ(before.takes.size(), 3u);
  std::map<std::string, std::string> old;
  for (const session::TakeEntry& take : before.takes) old[take.file] = Bytes(take.path);
  const session::TakeEntry& e4 = before.takes[1];
  ASSERT_EQ(e4.noteName, "E4");

  test::ManualClock clock;
  DeviceLayer devices(clock);
  devices.Midi().ListMidiDevices();
  devices.Midi().SelectMidiDevice(0);
  KeptMessages messages;
  session::SessionSettings settings;
  settings.stored = session::FirstStartSettings();
  settings.stored.duration = QStringLiteral("250");
  settings.stored.decay = QStringLiteral("100");
  settings.stored.gear = QStringLiteral("elsewhere");  // the browsed folder wins
  bool runActive = true;
  session::TakeRetaker retaker(
      {devices.Midi(), devices.Recorder(), clock, messages}, [&] { return settings; },
      [] {
        return session::RunDevices{"built-in", "its output"};
      },
      [&] { return runActive; });
  // The browser hands its selection to the retaker, which refuses while the devices are the run's.
  ui::frmTakes browser(session::ListTakeFolder(folder), nullptr, nullptr, &retaker);
  browser.show();
  browser.SelectRow(1);
  auto* retake = browser.findChild<QPushButton*>(QStringLiteral("cbRetake"));
  ASSERT_NE(retake, nullptr);
  EXPECT_FALSE(retake->isEnabled());
  EXPECT_TRUE(retaker.Retake(folder, {e4}).refused);
  EXPECT_EQ(Bytes(e4.path), old[e4.file]);

  runActive = false;
  browser.UpdateRetakeButton();
  ASSERT_TRUE(retake->isEnabled());
  retake->click();
  EXPECT_TRUE(messages.texts.empty()) << messages.texts.front();
  EXPECT_EQ(browser.Model().Take(1).status, "retaken");

  const session::TakeFolder after = session::ListTakeFolder(folder);
  ASSERT_EQ(after.takes.size(), 3u);
  for (const session::TakeEntry& take : after.takes) {
    SCOPED_TRACE(take.file);
    if (take.file == e4.file) {
      EXPECT_EQ(take.status, "retaken");
      EXPECT_LT(Bytes(take.path).size(), old[take.file].size());  // 350 ms of note and decay, not 600
      EXPECT_EQ(take.velocity, 100);
    } else {
      EXPECT_EQ(take.status, "saved");
      EXPECT_EQ(Bytes(take.path), old[take.file]);
    }
  }
  // The report is still the run's, with the retake beside it.
  const QJsonObject report =
      QJsonDocument::fromJson(QByteArray::fromStdString(Bytes(folder + "/ntr-run.json"))).object();
  EXPECT_EQ(report[QStringLiteral("outcome")].toString(), QStringLiteral("completed"));
  EXPECT_EQ(report[QStringLiteral("takes")].toArray().size(), 3);
  EXPECT_EQ(report[QStringLiteral("retakeRuns")].toArray().size(), 1);
  std::set<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files.insert(entry.path().lexically_relative(temp.File("samples")).generic_string());
  }
  EXPECT_EQ(files, ExpectedTakes("Grand_Piano", {"XXX"}, {"C4", "E4", "A4"}));  // no temporary, no journal
}

}  // namespace
}  // namespace ntr::e2e
