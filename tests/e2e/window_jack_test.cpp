// SPDX-License-Identifier: GPL-3.0-or-later
// A real instrument through the real window: fluidsynth on a private JACK
// server (both started by scripts/with-jack-server around this program), the
// main window as the program builds it (real devices, Qt clock), driven
// through its widgets: the device picked in "MIDI Devices", the input in
// "Audio Input", notes over two
// octaves, two programs, the embedded note on, START. Then the folder tree
// and every take are checked as a user's sampler would meet them.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <iostream>

#include "support/take_checks.h"
#include "support/window_rig.h"
#include "app/window_with_devices.h"

namespace ntr::e2e {
namespace {

const QString kFluidsynthEntry = QStringLiteral("fluidsynth-midi:midi_00 (JACK)");

// C, E and A in octaves 4 and 5.
const std::vector<int> kNotes{48, 52, 57, 60, 64, 69};
const std::vector<std::string> kNoteNames{"C4", "E4", "A4", "C5", "E5", "A5"};

class WindowOverJack : public testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("NTR_TEST_JACK_SERVER") == nullptr) {
      GTEST_SKIP() << "needs a JACK server and fluidsynth: run through scripts/with-jack-server --fluidsynth";
    }
    ASSERT_TRUE(dir_.isValid());
    // The program's own parts: real devices, the Qt clock, a settings file of its own.
    program_ = std::make_unique<app::WindowWithDevices>(session::SettingsStore::OpenFile(dir_.filePath("settings.ini")),
                                                  dialogs_);
    Window().Load();
    Window().show();
  }

  ui::frmMain& Window() { return program_->Window(); }
  template <typename T>
  T* Find(const char* name) {
    T* widget = Window().findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  void Click(const char* name) { QTest::mouseClick(Find<QAbstractButton>(name), Qt::LeftButton); }
  // The "MIDI Devices" entry for fluidsynth's port, among those found at load.
  QAction* FluidsynthEntry() {
    for (int i = 1; i < 10; ++i) {
      QAction* entry = Window().findChild<QAction*>(QStringLiteral("mMidiDev%1").arg(i));
      if (entry && entry->isVisible() && entry->text() == kFluidsynthEntry) return entry;
    }
    return nullptr;
  }
  void Type(const char* name, const QString& text) {
    QLineEdit* field = Find<QLineEdit>(name);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
  }

  QTemporaryDir dir_;
  uitest::ScriptedDialogs dialogs_;
  std::unique_ptr<app::WindowWithDevices> program_;
};

TEST_F(WindowOverJack, SamplesFluidsynthThroughTheWindow) {
  QAction* fluidsynth = FluidsynthEntry();
  ASSERT_NE(fluidsynth, nullptr) << "no \"MIDI Devices\" entry for fluidsynth";
  fluidsynth->trigger();
  EXPECT_TRUE(fluidsynth->isChecked());
  // "Audio Input": fluidsynth's outputs, listed as the menu opens. Nothing
  // else tells the recorder (the server's default capture ports are silent).
  QMenu* inputs = Find<QMenu>("mAudioInput");
  emit inputs->aboutToShow();
  QAction* fluidsynthOutputs = nullptr;
  for (QAction* entry : inputs->actions()) {
    if (entry->text() == "JACK: fluidsynth-midi:left + fluidsynth-midi:right") fluidsynthOutputs = entry;
  }
  ASSERT_NE(fluidsynthOutputs, nullptr) << "no \"Audio Input\" entry for fluidsynth";
  fluidsynthOutputs->trigger();

  Click("cbUnselAllNotes");
  Click("cbUnselAllOctaves");
  for (const char* key : {"chNote0", "chNote4", "chNote9"}) Click(key);  // C, E, A
  for (const char* octave : {"chOctave4", "chOctave5"}) Click(octave);
  Type("txtPatches", "0,19");  // piano and church organ
  Type("txtNotesDuration", "500");
  Type("txtNotesDecay", "250");
  Find<QComboBox>("dbcSampleRate")->setCurrentIndex(1);  // 22 kHz: the take is converted from the server's 44100
  Find<QComboBox>("dbcSampleBits")->setCurrentIndex(1);  // 16
  Find<QComboBox>("dbcSampleMode")->setCurrentIndex(0);  // Mono
  if (!Find<QCheckBox>("chSmpl")->isChecked()) Click("chSmpl");
  Type("txtGear", "Fluid GM");
  const QString folder = dir_.filePath(QStringLiteral("samples"));
  Type("txtFolder", folder);
  Click("cbGenerateMIDI");
  ASSERT_EQ(Window().Events().RowCount(), kNotes.size());

  Click("cbStart");  // returns when the run has ended

  const auto& result = Window().Controller().LastResult();
  ASSERT_TRUE(result.has_value());
  // The mixer's message (no ALSA card here) and the summary after the run; nothing else.
  for (const uitest::Shown& shown : dialogs_.messages) {
    if (shown.text == ui::kMixerFailedMessage) continue;
    EXPECT_EQ(shown.text.rfind("Sampling finished: 12 takes saved (0 marked clipped, 0 silent), 0 failed.", 0), 0u)
        << "the run said: " << shown.text;
  }
  ASSERT_EQ(result->outcome, RunOutcome::Completed) << result->message;
  EXPECT_EQ(result->takesSaved, 12);
  EXPECT_EQ(Find<QAbstractButton>("cbStart")->text(), "START");

  const std::string root = folder.toStdString();
  EXPECT_EQ(FilesUnder(root), ExpectedTakes("Fluid_GM", {"000", "019"}, kNoteNames));
  // The level check ran before each program on the real instrument, and every take sounded.
  const RunReportFigures report = ReadRunReport(root + "/Fluid_GM/ntr-run.json");
  EXPECT_EQ(report.levelChecks, 2);
  EXPECT_EQ(report.statuses, std::vector<std::string>(12, "saved"));
  for (const std::string tag : {"000", "019"}) {
    for (std::size_t i = 0; i < kNotes.size(); ++i) {
      const std::string file = root + "/Fluid_GM/PATCH_" + tag + "/PATCH" + tag + "_" + kNoteNames[i] + ".WAV";
      TakeExpectation expected{kNotes[i], 22050, 16, 1, true, 0.5, 0.25};
      // The capture runs from the start of the stream to its stop; the server's
      // period (1024 frames, 23 ms) is the grain of both ends.
      expected.shortestShortfallSeconds = 0.03;
      expected.longestOverheadSeconds = 0.15;
      const TakeFigures figures = ExpectGoodTake(file, expected);
      std::cout << "PATCH" << tag << "_" << kNoteNames[i] << ": " << figures.seconds << " s, " << figures.cents
                << " cents, peak " << figures.peak << "\n";
    }
  }
}

// An input chosen earlier that is gone at START: a message that names it, and
// nothing played or made.
TEST_F(WindowOverJack, AnInputThatIsGoneStopsTheRunBeforeItPlays) {
  QAction* fluidsynth = FluidsynthEntry();
  ASSERT_NE(fluidsynth, nullptr) << "no \"MIDI Devices\" entry for fluidsynth";
  fluidsynth->trigger();
  ASSERT_NE(Window().CurrentSettings().midiDevice, 0);
  Window().ChooseAudioInput("jack:unplugged-interface:capture_1");
  QMenu* inputs = Find<QMenu>("mAudioInput");
  emit inputs->aboutToShow();
  EXPECT_EQ(inputs->actions().back()->text(), "jack:unplugged-interface:capture_1 (not there now)");
  EXPECT_TRUE(inputs->actions().back()->isChecked());
  const QString folder = dir_.filePath(QStringLiteral("samples"));
  Type("txtFolder", folder);
  Click("cbGenerateMIDI");

  Click("cbStart");

  const auto& result = Window().Controller().LastResult();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->outcome, RunOutcome::InputMissing);
  ASSERT_FALSE(dialogs_.messages.empty());
  const std::string said = dialogs_.messages.back().text;
  EXPECT_NE(said.find("unplugged-interface:capture_1"), std::string::npos) << said;
  EXPECT_NE(said.find("Nothing was played."), std::string::npos) << said;
  EXPECT_TRUE(FilesUnder(folder.toStdString()).empty());
}

}  // namespace
}  // namespace ntr::e2e
