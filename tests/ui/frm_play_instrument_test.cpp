// SPDX-License-Identifier: GPL-3.0-or-later
// "Play Instrument" on a fake synthesizer: the SoundFont loaded, the computer
// keyboard's keys sounding and releasing their notes (an octave change while
// a key is held still releases the note it sounded), the velocity keys, and
// the MIDI input chosen in the window.

#include <gtest/gtest.h>
#include <QComboBox>
#include <QTest>

#include "ui/frm_play_instrument.h"

namespace ntr::uitest {
namespace {

class FakeInstrument : public InstrumentPlayerPort {
 public:
  void Load(const std::string& soundFont) override { loaded = soundFont; }
  std::vector<std::string> Presets() const override { return {"000 Piano", "005 Organ"}; }
  void SelectPreset(int index) override { preset = index; }
  void NoteOn(int note, int velocity) override {
    events.push_back("on " + std::to_string(note) + " " + std::to_string(velocity));
  }
  void NoteOff(int note) override { events.push_back("off " + std::to_string(note)); }
  std::vector<std::string> MidiInputs() override { return {"Keystation 49"}; }
  void ListenTo(int input) override { listening = input; }
  void Close() override { ++closes; }

  std::string loaded;
  int preset = -1;
  int listening = -2;
  int closes = 0;
  std::vector<std::string> events;
};

TEST(PlayInstrument, ComputerKeysPlayAndReleaseTheirNotes) {
  FakeInstrument synth;
  {
    ui::frmPlayInstrument window(synth, "/samples/Piano/Piano.sf2");
    EXPECT_EQ(synth.loaded, "/samples/Piano/Piano.sf2");
    QTest::keyPress(&window, Qt::Key_Z);
    QTest::keyPress(&window, Qt::Key_Z);  // pressed again while held: no second note
    QTest::keyPress(&window, Qt::Key_Q);
    QTest::keyClick(&window, Qt::Key_Right);  // an octave up while both are held
    QTest::keyClick(&window, Qt::Key_Down);
    QTest::keyRelease(&window, Qt::Key_Z);
    QTest::keyPress(&window, Qt::Key_2);
    QTest::keyRelease(&window, Qt::Key_Q);
    QTest::keyRelease(&window, Qt::Key_2);
    EXPECT_EQ(synth.events,
              (std::vector<std::string>{"on 48 100", "on 60 100", "off 48", "on 73 84", "off 60", "off 73"}));

    auto* inputs = window.findChild<QComboBox*>("cbMidiInput");
    ASSERT_EQ(inputs->count(), 2);  // "None" and the keyboard
    emit inputs->activated(1);
    EXPECT_EQ(synth.listening, 0);
    emit window.findChild<QComboBox*>("cbPreset")->activated(1);
    EXPECT_EQ(synth.preset, 1);
  }
  EXPECT_EQ(synth.closes, 1);
}

}  // namespace
}  // namespace ntr::uitest
