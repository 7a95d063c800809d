// SPDX-License-Identifier: GPL-3.0-or-later
// The main window outside a run: load and first start, generation from
// clicks, the selection captions and colours, the program-list key filter,
// the settings commands, the device menu and the about box.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include "support/window_rig.h"
#include "ui/frm_about.h"
#include "session/run_setup.h"
#include "session/slider_geometry.h"

namespace ntr::uitest {
namespace {

// The window's settings as a run reads them.
PlainRunSettings RunSettingsOf(const ui::frmMain& window) { return session::RunSettingsOf(window.CurrentSettings()); }

QString Key(int i) { return QStringLiteral("chNote%1").arg(i); }
QString Octave(int k) { return QStringLiteral("chOctave%1").arg(k); }

std::vector<std::string> NotesOfRows(const WindowRig& rig) {
  std::vector<std::string> notes;
  for (const EventRow& row : rig.window->Events().Rows()) notes.push_back(row.Note);
  return notes;
}

TEST(MainWindow, FirstStartShowsTheFirstStartValuesAndAFullList) {
  WindowRig rig;
  EXPECT_EQ(rig.window->windowTitle(), "NTR - Notarra - 1.0 (Jan 2004)");
  EXPECT_EQ(rig.Label("pnlNotes")->text(), "C C# D D# E F F# G G# A A# B ");
  for (int k = 0; k <= 10; ++k) EXPECT_TRUE(rig.Check(Octave(k))->isChecked()) << k;
  EXPECT_EQ(rig.List("dbcMidiChannell")->currentText(), "1");
  EXPECT_EQ(rig.Field("txtKeyVelocity")->text(), "127");
  EXPECT_EQ(rig.Field("txtNotesDuration")->text(), "2000");
  EXPECT_EQ(rig.Field("txtNotesDecay")->text(), "500");
  EXPECT_EQ(rig.Field("txtPatches")->text(), "0-127");
  EXPECT_EQ(rig.List("dbcSampleRate")->currentText(), "44 kHz");
  EXPECT_EQ(rig.List("dbcSampleBits")->currentText(), "16");
  EXPECT_EQ(rig.List("dbcSampleMode")->currentText(), "Stereo");
  EXPECT_EQ(RunSettingsOf(*rig.window).format.samplesPerSec, 44100);
  EXPECT_EQ(RunSettingsOf(*rig.window).format.channels, 2);
  EXPECT_TRUE(rig.Field("txtFolder")->text().endsWith("SAMPLES"));
  EXPECT_TRUE(rig.Check("chSmpl")->isChecked());
  EXPECT_EQ(rig.Button("cbStart")->text(), "START");
  EXPECT_TRUE(rig.Button("cbStart")->isEnabled());
  EXPECT_FALSE(rig.Button("cbStop")->isEnabled());
  EXPECT_FALSE(rig.Button("cbResume")->isEnabled());

  // 128 rows, C0 first and G10 last; (2000 + 500) x 128 programs x 128 rows = 40960 s.
  ASSERT_EQ(rig.Grid()->model()->rowCount(), 128);
  EXPECT_EQ(rig.window->Events().Row(0), (EventRow{"C0", "127", "1", "2000", "500", "0"}));
  EXPECT_EQ(rig.window->Events().Row(127).Note, "G10");
  EXPECT_EQ(rig.Label("lbTitle0")->text(), "Extimated");
  EXPECT_EQ(rig.Label("lbData0")->text(), "11h 22' 40\"");
  EXPECT_EQ(rig.window->CurrentRow(), 0);

  // The mixer was opened, then each knob's level sent: 70 % down the travel.
  EXPECT_EQ(rig.mixer.opens, 1);
  ASSERT_EQ(rig.mixer.levels.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(rig.mixer.levels[static_cast<std::size_t>(i)].slider, i);
    EXPECT_EQ(rig.mixer.levels[static_cast<std::size_t>(i)].pos, 1155 - 808);
    EXPECT_EQ(rig.mixer.levels[static_cast<std::size_t>(i)].travel, 1155);
  }
  EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(MainWindow, StoredSettingsAreAppliedAtLoadAndAMixerFailureIsSaidOnce) {
  WindowRig rig(
      "[Parameters]\nNotes=000100000000000000000000\nOctaves=0000010000000000000000\nChannel=10\n"
      "Programs=\nVelocity=300\nDuration=100\nDecay=x\nRate=11 kHz\nBits=8\nChannels=Mono\nEmbedded=0\n"
      "Gear=Bass\nFolder=/tmp/samples\nLineVolume=4260\nMicVolume=5415\nOutVolume=4800\nMidiDev=0\n",
      false);
  rig.mixer.openResult = false;
  rig.window->Load();
  EXPECT_TRUE(rig.dialogs.messages.empty());  // not before the window is up
  QCoreApplication::processEvents();
  ASSERT_EQ(rig.dialogs.messages.size(), 1u);
  EXPECT_EQ(rig.dialogs.messages[0].text, "Couldn't open the mixer.");
  EXPECT_EQ(rig.dialogs.messages[0].title, "NTR");
  EXPECT_EQ(rig.dialogs.messages[0].icon, MessageIcon::None);

  EXPECT_EQ(rig.Label("pnlNotes")->text(), "C# ");
  EXPECT_EQ(NotesOfRows(rig), (std::vector<std::string>{"C#2"}));
  EXPECT_EQ(rig.window->Events().Row(0), (EventRow{"C#2", "127", "10", "100", "2000", "25"}));
  EXPECT_EQ(rig.Field("txtKeyVelocity")->text(), "127");  // normalised by the generation
  EXPECT_EQ(rig.Field("txtNotesDecay")->text(), "2000");
  EXPECT_EQ(RunSettingsOf(*rig.window).format.samplesPerSec, 11025);
  EXPECT_EQ(RunSettingsOf(*rig.window).format.bitsPerSample, 8);
  EXPECT_EQ(RunSettingsOf(*rig.window).format.channels, 1);
  EXPECT_FALSE(rig.Check("chSmpl")->isChecked());
  EXPECT_EQ(RunSettingsOf(*rig.window).saveFolder, "/tmp/samples");
  ASSERT_EQ(rig.mixer.levels.size(), 3u);
  EXPECT_EQ(rig.mixer.levels[0].pos, 1155);
  EXPECT_EQ(rig.mixer.levels[1].pos, 0);
  EXPECT_EQ(rig.mixer.levels[2].pos, 1155 - 540);
}

TEST(MainWindow, GenerationFollowsTheClickedKeysAndOctaves) {
  WindowRig rig;
  QTest::mouseClick(rig.Button("cbUnselAllNotes"), Qt::LeftButton);
  QTest::mouseClick(rig.Button("cbUnselAllOctaves"), Qt::LeftButton);
  EXPECT_EQ(rig.Label("pnlNotes")->text(), "");
  QTest::mouseClick(rig.Button(Key(0)), Qt::LeftButton);
  QTest::mouseClick(rig.Button(Key(4)), Qt::LeftButton);
  QTest::mouseClick(rig.Button(Key(1)), Qt::LeftButton);
  EXPECT_EQ(rig.Label("pnlNotes")->text(), "C C# E ");
  rig.Check(Octave(4))->click();
  rig.Field("txtPatches")->setText("");
  QTest::mouseClick(rig.Button("cbGenerateMIDI"), Qt::LeftButton);
  EXPECT_EQ(NotesOfRows(rig), (std::vector<std::string>{"C4", "C#4", "E4"}));
  const QString once = rig.Label("lbData0")->text();
  EXPECT_EQ(once, "8\"");  // 3 x 2.5 s = 7.5 s, halves to even

  // "Add Events" appends the same rows again and doubles the estimate.
  QTest::mouseClick(rig.Button("cbAddEvents"), Qt::LeftButton);
  EXPECT_EQ(NotesOfRows(rig), (std::vector<std::string>{"C4", "C#4", "E4", "C4", "C#4", "E4"}));
  EXPECT_EQ(rig.Label("lbData0")->text(), "15\"");

  // Octave 10 ends at G10: A and B there produce nothing.
  QTest::mouseClick(rig.Button("cbUnselAllNotes"), Qt::LeftButton);
  QTest::mouseClick(rig.Button("cbUnselAllOctaves"), Qt::LeftButton);
  QTest::mouseClick(rig.Button(Key(9)), Qt::LeftButton);
  QTest::mouseClick(rig.Button(Key(11)), Qt::LeftButton);
  rig.Check(Octave(10))->click();
  QTest::mouseClick(rig.Button("cbGenerateMIDI"), Qt::LeftButton);
  EXPECT_EQ(rig.Grid()->model()->rowCount(), 0);
  EXPECT_EQ(rig.Label("lbData0")->text(), "");
  EXPECT_TRUE(rig.Button("cbStart")->isEnabled());
}

TEST(MainWindow, FieldsAreNormalisedByGeneration) {
  WindowRig rig;
  rig.Field("txtKeyVelocity")->setText("-5");
  rig.Field("txtNotesDuration")->setText("40000");
  rig.Field("txtNotesDecay")->setText("x");
  QTest::mouseClick(rig.Button("cbGenerateMIDI"), Qt::LeftButton);
  EXPECT_EQ(rig.Field("txtKeyVelocity")->text(), "0");
  EXPECT_EQ(rig.Field("txtNotesDuration")->text(), "32000");
  EXPECT_EQ(rig.Field("txtNotesDecay")->text(), "2000");
}

TEST(MainWindow, OctaveTextIsWhiteWhenSelectedAndGreyOtherwise) {
  WindowRig rig;
  QCheckBox* box = rig.Check(Octave(3));
  EXPECT_EQ(box->text(), "From C3 to B3");
  EXPECT_EQ(box->property("tag").toString(), "036047");
  EXPECT_EQ(rig.Check(Octave(10))->text(), "From C10 to G10");
  EXPECT_EQ(box->palette().color(QPalette::WindowText), QColor(0xFF, 0xFF, 0xFF));
  box->click();
  EXPECT_EQ(box->palette().color(QPalette::WindowText), QColor(0x80, 0x80, 0x80));
  QTest::mouseClick(rig.Button("cbSelAllOctaves"), Qt::LeftButton);
  EXPECT_EQ(box->palette().color(QPalette::WindowText), QColor(0xFF, 0xFF, 0xFF));
}

TEST(MainWindow, ProgramListTakesDigitsCommaAndMinusAndBeepsAtTheRest) {
  WindowRig rig;
  QLineEdit* patches = rig.Field("txtPatches");
  patches->clear();
  patches->setFocus();
  QTest::keyClicks(patches, "1a,2-3 x");
  EXPECT_EQ(patches->text(), "1,2-3");
  EXPECT_EQ(rig.dialogs.beeps, 3);
  QTest::keyClick(patches, Qt::Key_Backspace);
  EXPECT_EQ(patches->text(), "1,2-");
  EXPECT_EQ(rig.dialogs.beeps, 3);
}

TEST(MainWindow, SaveAndLoadCommandsAskFirst) {
  WindowRig rig;
  QAction* save = rig.Action("mSave");
  QAction* load = rig.Action("mLoad");
  EXPECT_EQ(save->text(), "Save Settings");
  EXPECT_EQ(load->text(), "Load Settings");

  rig.dialogs.answers = {false};
  save->trigger();
  ASSERT_EQ(rig.dialogs.questions.size(), 1u);
  EXPECT_EQ(rig.dialogs.questions[0].text, "Save settings?");
  EXPECT_EQ(rig.dialogs.questions[0].title, "NTR - Notarra");
  EXPECT_TRUE(rig.dialogs.messages.empty());
  EXPECT_FALSE(rig.Store().Read("Notes").has_value());

  // Change a few things, save, change them again, load: the saved ones come back.
  rig.Field("txtGear")->setText("Strings");
  rig.List("dbcSampleRate")->setCurrentIndex(1);
  rig.Check("chSmpl")->setChecked(false);
  QTest::mouseClick(rig.Button(Key(5)), Qt::LeftButton);
  rig.dialogs.answers = {true};
  save->trigger();
  ASSERT_EQ(rig.dialogs.messages.size(), 1u);
  EXPECT_EQ(rig.dialogs.messages[0].text, "Settings saved!");
  EXPECT_EQ(rig.dialogs.messages[0].icon, MessageIcon::Information);
  EXPECT_EQ(rig.Store().Read("Notes"), "010101010100010101010101");
  EXPECT_EQ(rig.Store().Read("Embedded"), "0");

  const auto rows = rig.window->Events().Rows();
  rig.Field("txtGear")->setText("Brass");
  rig.List("dbcSampleRate")->setCurrentIndex(2);
  rig.Check("chSmpl")->setChecked(true);
  QTest::mouseClick(rig.Button(Key(5)), Qt::LeftButton);
  rig.dialogs.answers = {false};
  load->trigger();
  EXPECT_EQ(rig.Field("txtGear")->text(), "Brass");
  rig.dialogs.answers = {true};
  load->trigger();
  EXPECT_EQ(rig.dialogs.questions.back().text, "Load settings?");
  EXPECT_EQ(rig.dialogs.messages.back().text, "Settings loaded!");
  EXPECT_EQ(rig.Field("txtGear")->text(), "Strings");
  EXPECT_EQ(rig.List("dbcSampleRate")->currentText(), "22 kHz");
  EXPECT_FALSE(rig.Check("chSmpl")->isChecked());
  EXPECT_FALSE(rig.Button(Key(5))->isChecked());
  EXPECT_EQ(rig.Label("pnlNotes")->text(), "C C# D D# E F# G G# A A# B ");
  EXPECT_EQ(rig.window->Events().Rows(), rows);  // loading does not generate
}

TEST(MainWindow, DeviceMenuListsTheDevicesAndStoresTheChoice) {
  WindowRig rig("[Parameters]\nChannel=1\nMidiDev=2\n", false);
  rig.devices.captions = {"MIDI Mapper", "Synth A", "Synth B"};
  rig.window->Load();
  EXPECT_EQ(rig.Action("mMidiDev0")->text(), "MIDI Mapper");
  EXPECT_EQ(rig.Action("mMidiDev2")->text(), "Synth B");
  EXPECT_TRUE(rig.Action("mMidiDev2")->isVisible());
  EXPECT_FALSE(rig.Action("mMidiDev3")->isVisible());
  EXPECT_TRUE(rig.Action("mMidiDev2")->isChecked());
  EXPECT_EQ(rig.devices.selected, 2);

  rig.Action("mMidiDev1")->trigger();
  EXPECT_TRUE(rig.Action("mMidiDev1")->isChecked());
  EXPECT_FALSE(rig.Action("mMidiDev2")->isChecked());
  EXPECT_EQ(rig.devices.selected, 1);
  EXPECT_EQ(rig.Store().Read("MidiDev"), "1");
  // Clicking the checked entry keeps it checked.
  rig.Action("mMidiDev1")->trigger();
  EXPECT_TRUE(rig.Action("mMidiDev1")->isChecked());

  auto* file = rig.window->findChild<QMenu*>("mFile");
  ASSERT_NE(file, nullptr);
  QStringList entries;
  for (QAction* a : file->actions()) entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
  EXPECT_EQ(entries, (QStringList{"MIDI Devices", "Audio Input", "Skip takes already made",
                                  "Render faster than real time (no effect: not the built-in synthesizer)",
                                  "SoundFont for the built-in synthesizer...", "Instrument Options...", "-",
                                  "Save Settings", "Load Settings", "-", "Make Instrument Files...", "-", "Takes...",
                                  "Monitor Input...", "Play Instrument...", "-", "Exit"}));
  // Stored as soon as it is chosen, in a group of its own; the next START reads it.
  rig.Action("mSkipMade")->trigger();
  EXPECT_EQ(rig.Store().Read("SkipTakesAlreadyMade", "Run"), "1");
  EXPECT_TRUE(RunSettingsOf(*rig.window).options.skipTakesAlreadyMade);
}

// Both are stored at once in a group of their own and reach the next run;
// cancelling the chooser changes nothing.
TEST(MainWindow, SynthesizerItemsStoreTheirOptionsAtOnce) {
  WindowRig rig("[Parameters]\nChannel=1\n[Synth]\nSoundFont=/fonts/old.sf2\n");
  QAction* fast = rig.Action("mRenderFast");
  EXPECT_FALSE(fast->isChecked());
  EXPECT_EQ(fast->text(), "Render faster than real time");
  fast->trigger();
  EXPECT_TRUE(fast->isChecked());
  EXPECT_EQ(rig.Store().Read("RenderFast", "Synth"), "1");

  rig.dialogs.soundFontChoices = {std::nullopt, "/fonts/new font.sf2"};
  rig.Action("mSoundFont")->trigger();
  EXPECT_EQ(rig.Store().Read("SoundFont", "Synth"), "/fonts/old.sf2");
  rig.Action("mSoundFont")->trigger();
  EXPECT_EQ(rig.dialogs.soundFontStarts, (std::vector<std::string>{"/fonts/old.sf2", "/fonts/old.sf2"}));
  EXPECT_EQ(rig.Store().Read("SoundFont", "Synth"), "/fonts/new font.sf2");

  const RunOptions options = RunSettingsOf(*rig.window).options;
  EXPECT_TRUE(options.renderFast);
  EXPECT_EQ(options.soundFont, "/fonts/new font.sf2");
}

TEST(MainWindow, AboutBoxShowsTheVersionAndClosesOnAKeyOrAClick) {
  WindowRig rig;
  rig.dialogs.modalActions.push_back([](QDialog& dialog) {
    auto* version = dialog.findChild<QLabel*>("lbVersion");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), "NTR - Notarra - vers. 1.0 (Build 5 - Jan 2004)");
    QTest::keyRelease(&dialog, Qt::Key_Space);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  });
  rig.dialogs.modalActions.push_back([](QDialog& dialog) {
    QTest::mouseClick(dialog.findChild<QLabel*>("imgAbout"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  });
  QAction* about = rig.Action("mAbout");
  EXPECT_EQ(about->text(), "About");
  about->trigger();
  about->trigger();
  EXPECT_EQ(rig.dialogs.modalCount, 2);
}

TEST(MainWindow, ExitWhileIdleClosesTheWindowAndTheMidiOutput) {
  WindowRig rig;
  rig.window->show();
  rig.Action("mExit")->trigger();
  EXPECT_FALSE(rig.window->isVisible());
  EXPECT_EQ(rig.midi.closes, 1);
  EXPECT_EQ(rig.dialogs.beeps, 0);
}

TEST(MainWindow, PianoKeysAndSlidersSitWhereTheTwipsPutThem) {
  WindowRig rig;
  // 96 dpi offscreen: 15 twips to a pixel.
  EXPECT_EQ(rig.Button(Key(0))->geometry(), QRect(24, 8, 25, 69));   // C: 360, 120, 375 x 1035
  EXPECT_EQ(rig.Button(Key(1))->geometry(), QRect(37, 8, 21, 49));   // C#: 555, 120, 315 x 735
  EXPECT_EQ(rig.Button(Key(11))->geometry(), QRect(168, 8, 25, 69));  // B: 2520
  EXPECT_EQ(rig.Find<QWidget>("lbVolume0")->geometry(), QRect(505, 284, 4, 89));
  EXPECT_EQ(rig.Find<QWidget>("imgVolume2")->geometry().left(), 600);
  for (int k = 1; k <= 11; ++k) EXPECT_NE(rig.Find<QGroupBox>(QStringLiteral("SSPanel%1").arg(k)), nullptr) << k;
}

}  // namespace
}  // namespace ntr::uitest
