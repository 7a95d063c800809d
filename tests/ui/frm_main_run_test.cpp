// SPDX-License-Identifier: GPL-3.0-or-later
// Whole runs from the window with fake devices: the run buttons, the progress
// panel, the settings group and the dialogs' menu items follow the run through
// Start, Suspend, Resume and Stop; closing is refused while a run is on the stack.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

#include "support/window_rig.h"

namespace ntr::uitest {
namespace {

struct Controls {
  const char* start;
  bool startEnabled;
  bool stopEnabled;
  bool resumeEnabled;
  bool settingsEnabled;
  bool dialogItemsEnabled;  // no modal dialog while a note may sound
};

constexpr Controls kIdle{"START", true, false, false, true, true};
constexpr Controls kRunning{"SUSPEND", true, true, false, false, false};
constexpr Controls kSuspendRequested{"SUSPEND", true, true, false, true, false};
constexpr Controls kSuspended{"SUSPEND", false, true, true, true, true};
constexpr Controls kStopRequested{"START", true, false, false, true, false};

class RunTest : public ::testing::Test {
 protected:
  // settings: the settings file's text before the window loads ("" for a first start).
  explicit RunTest(const std::string& settings = {}) : rig(settings, false) {
    rig.devices.captions = {"MIDI Mapper", "External"};
    rig.window->Load();
    rig.window->show();
    QTest::mouseClick(rig.Button("cbUnselAllNotes"), Qt::LeftButton);
    QTest::mouseClick(rig.Button("cbUnselAllOctaves"), Qt::LeftButton);
    for (int key : {0, 2, 4}) QTest::mouseClick(rig.Button(QStringLiteral("chNote%1").arg(key)), Qt::LeftButton);
    rig.Check("chOctave5")->click();
    rig.Field("txtPatches")->setText("");
    rig.Field("txtNotesDuration")->setText("1000");
    rig.Field("txtNotesDecay")->setText("500");
    rig.Field("txtGear")->setText("My Piano");
    rig.Field("txtFolder")->setText(rig.dir.filePath("out"));
    rig.List("dbcSampleRate")->setCurrentIndex(1);
    QTest::mouseClick(rig.Button("cbGenerateMIDI"), Qt::LeftButton);
  }

  // The controls the state table gives, as the widgets show them.
  void ExpectControls(const Controls& c, const char* where) {
    SCOPED_TRACE(where);
    EXPECT_EQ(rig.Button("cbStart")->text(), c.start);
    EXPECT_EQ(rig.Button("cbStart")->isEnabled(), c.startEnabled);
    EXPECT_EQ(rig.Button("cbStop")->isEnabled(), c.stopEnabled);
    EXPECT_EQ(rig.Button("cbResume")->isEnabled(), c.resumeEnabled);
    for (int i = 0; i < 12; ++i) {
      EXPECT_EQ(rig.Button(QStringLiteral("chNote%1").arg(i))->isEnabled(), c.settingsEnabled) << i;
    }
    for (const char* name :
         {"cbSelAllNotes", "cbUnselAllNotes", "cbSelAllOctaves", "cbUnselAllOctaves", "cbGenerateMIDI", "cbAddEvents"}) {
      EXPECT_EQ(rig.Button(name)->isEnabled(), c.settingsEnabled) << name;
    }
    for (int k = 1; k <= 11; ++k) {
      EXPECT_EQ(rig.Find<QGroupBox>(QStringLiteral("SSPanel%1").arg(k))->isEnabled(), c.settingsEnabled) << k;
    }
    EXPECT_EQ(rig.Field("txtFolder")->isEnabled(), c.settingsEnabled);
    EXPECT_EQ(rig.Check("chOctave3")->isEnabled(), c.settingsEnabled);
    // Never part of the group.
    EXPECT_TRUE(rig.Check("chSmpl")->isEnabled());
    EXPECT_TRUE(rig.Grid()->isEnabled());
    EXPECT_TRUE(rig.Find<QWidget>("imgVolume0")->isEnabled());
    for (const char* name : {"mSoundFont", "mInstrumentOptions", "mSave", "mLoad", "mMakeInstrument", "mAbout"}) {
      EXPECT_EQ(rig.Action(name)->isEnabled(), c.dialogItemsEnabled) << name;
    }
    EXPECT_TRUE(rig.Action("mExit")->isEnabled());  // it opens no dialog (and does nothing during a run)
  }

  QStringList FilesBelow(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
  }

  std::vector<int> NotesOn() const {
    std::vector<int> notes;
    for (const auto m : rig.midi.Messages()) {
      if ((m & 0xF0u) == 0x90u) notes.push_back(static_cast<int>((m >> 8) & 0x7Fu));
    }
    return notes;
  }

  WindowRig rig;
};

TEST_F(RunTest, StartSuspendResumeStopFollowTheStateTable) {
  ExpectControls(kIdle, "before the run");
  const QString estimate = rig.Label("lbData0")->text();
  EXPECT_EQ(estimate, "4\"");  // 3 x 1.5 s = 4.5 s, halves to even

  enum Phase { FirstEvent, WaitForSuspended, WaitForSecondEvent, Stopped } phase = FirstEvent;
  rig.clock.SetYieldHook([&] {
    switch (phase) {
      case FirstEvent:
        ExpectControls(kRunning, "running");
        EXPECT_EQ(rig.Label("lbData2")->text(), "C5");
        // No modal dialog while a note sounds: it would hold the note until
        // closed. The items are greyed, and the commands, however they
        // come, are refused with a beep.
        rig.Action("mAbout")->trigger();
        rig.Action("mSave")->trigger();
        rig.window->ShowAbout();
        rig.window->OpenInstrumentOptions();
        rig.window->ChooseSoundFont();
        rig.window->MakeInstrumentFiles();
        EXPECT_EQ(rig.dialogs.modalCount, 0);
        EXPECT_TRUE(rig.dialogs.questions.empty());
        EXPECT_TRUE(rig.dialogs.soundFontStarts.empty());
        EXPECT_TRUE(rig.dialogs.folderStarts.empty());
        EXPECT_EQ(rig.dialogs.beeps, 4);
        QTest::mouseClick(rig.Button("cbStart"), Qt::LeftButton);  // SUSPEND
        ExpectControls(kSuspendRequested, "suspend requested");
        // The note still sounds after SUSPEND.
        rig.window->MakeInstrumentFiles();
        EXPECT_TRUE(rig.dialogs.folderStarts.empty());
        EXPECT_EQ(rig.dialogs.beeps, 5);
        phase = WaitForSuspended;
        break;
      case WaitForSuspended:
        if (rig.window->Controller().State() != RunState::Suspended) break;
        ExpectControls(kSuspended, "suspended");
        // The suspension comes before the row moves on and the estimate is recomputed.
        EXPECT_EQ(rig.Label("lbTitle0")->text(), "Extimated");
        EXPECT_EQ(rig.window->CurrentRow(), 0);
        // Closing is refused with a beep while the run waits; Exit does nothing.
        EXPECT_FALSE(rig.window->close());
        rig.Action("mExit")->trigger();
        EXPECT_TRUE(rig.window->isVisible());
        EXPECT_EQ(rig.dialogs.beeps, 6);
        // Between events a dialog may open.
        rig.Action("mAbout")->trigger();
        EXPECT_EQ(rig.dialogs.modalCount, 1);
        // A device picked now is for the next run.
        rig.Action("mMidiDev1")->trigger();
        EXPECT_EQ(rig.devices.selected, 0);
        QTest::mouseClick(rig.Button("cbResume"), Qt::LeftButton);
        ExpectControls(kRunning, "resumed");
        phase = WaitForSecondEvent;
        break;
      case WaitForSecondEvent:
        if (rig.Label("lbData2")->text() != "D5") break;
        EXPECT_EQ(rig.Label("lbTitle0")->text(), "Computed");
        EXPECT_FALSE(rig.Label("lbData1")->text().isEmpty());  // the elapsed time
        EXPECT_FALSE(rig.Label("lbPeak")->text().isEmpty());   // the first take's peak
        QTest::mouseClick(rig.Button("cbStop"), Qt::LeftButton);
        ExpectControls(kStopRequested, "stop requested");
        EXPECT_EQ(rig.Label("lbData1")->text(), "");
        // START while the stopped run finishes its event: refused with a beep; so is closing.
        QTest::mouseClick(rig.Button("cbStart"), Qt::LeftButton);
        EXPECT_FALSE(rig.window->close());
        EXPECT_EQ(rig.dialogs.beeps, 8);
        phase = Stopped;
        break;
      case Stopped:
        break;
    }
  });

  QTest::mouseClick(rig.Button("cbStart"), Qt::LeftButton);  // returns when the run has ended
  rig.clock.SetYieldHook({});

  EXPECT_EQ(phase, Stopped);
  ExpectControls(kIdle, "after the run");
  EXPECT_EQ(rig.Label("lbTitle0")->text(), "Computed");
  EXPECT_EQ(rig.Label("lbData0")->text(), estimate);
  EXPECT_EQ(rig.Label("lbData1")->text(), "");
  EXPECT_EQ(rig.Label("lbData2")->text(), "");
  EXPECT_EQ(rig.Label("lbPeak")->text(), "");
  EXPECT_EQ(rig.window->CurrentRow(), 0);
  EXPECT_EQ(NotesOn(), (std::vector<int>{60, 62}));  // the stopped event was completed
  EXPECT_EQ(rig.midi.opens, 1);
  EXPECT_FALSE(rig.midi.isOpen);
  EXPECT_EQ(rig.devices.selected, 1);
  EXPECT_EQ(rig.recorder.formatsSet.at(0).samplesPerSec, 22050);
  EXPECT_EQ(FilesBelow(rig.dir.filePath("out")),
            (QStringList{"My_Piano/PATCH_XXX/PATCHXXX_C5.WAV", "My_Piano/PATCH_XXX/PATCHXXX_D5.WAV",
                         "My_Piano/ntr-run.json"}));
  // One message after the run: what it made and where its report is.
  ASSERT_EQ(rig.dialogs.messages.size(), 1u);
  EXPECT_EQ(rig.dialogs.messages[0].text.rfind("Sampling ended: 2 takes saved (0 marked clipped, 0 silent), 0 failed.", 0),
            0u)
      << rig.dialogs.messages[0].text;
  EXPECT_NE(rig.dialogs.messages[0].text.find("ntr-run.json"), std::string::npos);

  // Idle again: closing works.
  EXPECT_TRUE(rig.window->close());
}

TEST_F(RunTest, AProgramListRunsEveryRowForEveryProgram) {
  rig.Field("txtPatches")->setText("1,3");
  QTest::mouseClick(rig.Button("cbGenerateMIDI"), Qt::LeftButton);
  rig.Check("chSmpl")->setChecked(false);
  QTest::mouseClick(rig.Button("cbStart"), Qt::LeftButton);
  ExpectControls(kIdle, "after the run");
  EXPECT_EQ(NotesOn(), (std::vector<int>{60, 62, 64, 60, 62, 64}));
  const QStringList files = FilesBelow(rig.dir.filePath("out"));
  EXPECT_EQ(files.size(), 7);  // six takes and the run's report
  EXPECT_TRUE(files.contains("My_Piano/PATCH_003/PATCH003_E5.WAV"));
  EXPECT_EQ(rig.midi.channel, 0);
  EXPECT_EQ(rig.midi.velocity, 127);
}

class InstrumentFilesRunTest : public RunTest {
 protected:
  InstrumentFilesRunTest() : RunTest("[Instrument]\nWriteInstrumentFiles=1\n") {}
};

// With WriteInstrumentFiles the run ends with the instrument's files, and the
// end message says so; "Make Instrument Files..." writes them for the folder
// picked, starting at the one the fields name, and says why when it cannot.
TEST_F(InstrumentFilesRunTest, WrittenAfterARunAndFromTheFileMenu) {
  QTest::mouseClick(rig.Button("cbStart"), Qt::LeftButton);
  const QString instrument = rig.dir.filePath("out/My_Piano");
  const QString sfz = instrument + "/My_Piano_PATCH_XXX.sfz";
  for (const QString& file : {sfz, instrument + "/My_Piano_PATCH_XXX.dspreset", instrument + "/My_Piano.sf2"}) {
    EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
  }
  ASSERT_EQ(rig.dialogs.messages.size(), 1u);
  EXPECT_NE(rig.dialogs.messages[0].text.find("Instrument files: 3 written in " + instrument.toStdString()),
            std::string::npos) << rig.dialogs.messages[0].text;

  ASSERT_TRUE(QFile::remove(sfz));
  rig.dialogs.folderChoices = {instrument.toStdString(), rig.dir.filePath("out").toStdString()};
  rig.Action("mMakeInstrument")->trigger();
  EXPECT_EQ(rig.dialogs.folderStarts, std::vector<std::string>{instrument.toStdString()});
  EXPECT_TRUE(QFile::exists(sfz));
  EXPECT_EQ(rig.dialogs.messages.back().icon, MessageIcon::Information);
  rig.Action("mMakeInstrument")->trigger();
  EXPECT_EQ(rig.dialogs.messages.back().icon, MessageIcon::Critical);
  EXPECT_NE(rig.dialogs.messages.back().text.find("no takes"), std::string::npos) << rig.dialogs.messages.back().text;
}

// The report of a run that played names the input it was recorded from. A
// run the disk cannot hold, refused at the question, made nothing: no
// summary, and no report named (the last one is an earlier run's).
TEST_F(RunTest, ARunRefusedAtTheFreeSpaceQuestionShowsNoSummary) {
  rig.Action("mMidiDev1")->trigger();  // an external instrument
  rig.window->ChooseAudioInput("jack:synth:out_l,synth:out_r");
  QTest::mouseClick(rig.Button("cbStart"), Qt::LeftButton);
  ASSERT_EQ(rig.dialogs.messages.size(), 1u);
  QFile report(rig.dir.filePath("out/My_Piano/ntr-run.json"));
  ASSERT_TRUE(report.open(QIODevice::ReadOnly));
  EXPECT_EQ(QJsonDocument::fromJson(report.readAll())["devices"]["recording"].toString().toStdString(),
            "the audio input \"jack:synth:out_l,synth:out_r\"");

  // 128 notes for 128 programs, 64 s each at 96 kHz, 32 bits, stereo: about 805 GB.
  QTest::mouseClick(rig.Button("cbSelAllNotes"), Qt::LeftButton);
  QTest::mouseClick(rig.Button("cbSelAllOctaves"), Qt::LeftButton);
  rig.Field("txtPatches")->setText("0-127");
  rig.Field("txtNotesDuration")->setText("32000");
  rig.Field("txtNotesDecay")->setText("32000");
  rig.List("dbcSampleRate")->setCurrentText("96 kHz");
  rig.List("dbcSampleBits")->setCurrentText("32 float");
  QTest::mouseClick(rig.Button("cbGenerateMIDI"), Qt::LeftButton);
  if (std::filesystem::space(rig.dir.path().toStdString()).available > 805'000'000'000u) {
    GTEST_SKIP() << "this disk holds even that run";
  }
  QTest::mouseClick(rig.Button("cbStart"), Qt::LeftButton);
  ASSERT_EQ(rig.dialogs.questions.size(), 1u);
  EXPECT_NE(rig.dialogs.questions[0].text.find("not enough free space"), std::string::npos);
  EXPECT_EQ(rig.dialogs.messages.size(), 1u) << rig.dialogs.messages.back().text;
  EXPECT_EQ(NotesOn().size(), 3u);  // the first run's
  ExpectControls(kIdle, "after the refused run");
}

TEST_F(RunTest, AMidiOutputThatDoesNotOpenEndsTheRunAtOnce) {
  rig.midi.openResult = 11;
  QTest::mouseClick(rig.Button("cbStart"), Qt::LeftButton);
  ASSERT_EQ(rig.dialogs.messages.size(), 1u);
  EXPECT_EQ(rig.dialogs.messages[0].title, "NTR");
  EXPECT_EQ(rig.dialogs.messages[0].text.rfind("Couldn't open midi out, MIDI_RetCode = 11", 0), 0u);
  EXPECT_TRUE(NotesOn().empty());
  ExpectControls(kIdle, "after the failed open");
}

// The checks as a first start has them: a level check with test notes.
class DefaultChecksRunTest : public RunTest {
 protected:
  DefaultChecksRunTest() : RunTest("[Checks]\n") {}
};

// An empty list plays nothing, test notes neither: no silent instrument to
// report. The folders are made and the output opened and closed all the same.
TEST_F(DefaultChecksRunTest, StartOnAnEmptyGridPlaysNothingAndReportsNoSilentInstrument) {
  QTest::mouseClick(rig.Button("cbUnselAllNotes"), Qt::LeftButton);
  QTest::mouseClick(rig.Button("cbGenerateMIDI"), Qt::LeftButton);
  ASSERT_EQ(rig.window->Events().RowCount(), 0u);
  QTest::mouseClick(rig.Button("cbStart"), Qt::LeftButton);
  for (const Shown& shown : rig.dialogs.messages) EXPECT_NE(shown.icon, MessageIcon::Critical) << shown.text;
  EXPECT_TRUE(NotesOn().empty());
  EXPECT_EQ(rig.midi.opens, 1);
  EXPECT_FALSE(rig.midi.isOpen);
  EXPECT_TRUE(QDir(rig.dir.filePath("out/My_Piano/PATCH_XXX")).exists());
  ExpectControls(kIdle, "after the run");
}

}  // namespace
}  // namespace ntr::uitest
