// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store: first start, the round trip of all keys, the value
// formats other front ends and older files rely on, and the mends for
// values that do not fit.

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "session/settings_store.h"
#include "session/slider_geometry.h"

namespace ntr::session {
namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  QString Path() const { return dir.filePath(QStringLiteral("ntr.ini")); }
  void WriteFile(const char* text) {
    QFile file(Path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
  }
  SettingsStore Open() { return SettingsStore(SettingsStore::OpenFile(Path())); }

  QTemporaryDir dir;
};

TEST_F(SettingsStoreTest, FirstStartWhenNothingOrChannelZeroIsStored) {
  EXPECT_TRUE(Open().IsFirstStart());
  WriteFile("[Parameters]\nChannel=0\nVelocity=99\n");
  EXPECT_TRUE(Open().IsFirstStart());
  WriteFile("[Parameters]\nChannel=5\n");
  EXPECT_FALSE(Open().IsFirstStart());
}

TEST_F(SettingsStoreTest, FirstStartValues) {
  const StoredSettings s = FirstStartSettings();
  EXPECT_TRUE(std::all_of(s.notes.begin(), s.notes.end(), [](bool b) { return b; }));
  EXPECT_TRUE(std::all_of(s.octaves.begin(), s.octaves.end(), [](bool b) { return b; }));
  EXPECT_EQ(s.channel, "1");
  EXPECT_EQ(s.programs, "0-127");
  EXPECT_EQ(s.velocity, "127");
  EXPECT_EQ(s.duration, "2000");
  EXPECT_EQ(s.decay, "500");
  EXPECT_EQ(s.rate, "44 kHz");
  EXPECT_EQ(s.bits, "16");
  EXPECT_EQ(s.channels, "Stereo");
  EXPECT_EQ(s.gear, "");
  EXPECT_TRUE(s.folder.endsWith(QStringLiteral("SAMPLES")));
  // 70 % of the travel below the track's top: 1155 x 0.7 + 4260 = 5068.5, halves to even.
  EXPECT_EQ(s.knobTops, (std::array<int, 3>{5068, 5068, 5068}));
}

TEST_F(SettingsStoreTest, SaveThenLoadRestoresEveryKeyInItsStoredForm) {
  StoredSettings s = FirstStartSettings();
  s.notes = {true, false, true, false, false, false, false, false, false, false, false, true};
  s.octaves.fill(false);
  s.octaves[4] = true;
  s.channel = "16";
  s.programs = "1,5,9-12";
  s.velocity = "100";
  s.duration = "1500";
  s.decay = "250";
  s.rate = "22 kHz";
  s.bits = "8";
  s.channels = "Mono";
  s.embedded = true;
  s.gear = "My Piano";
  s.folder = "C:\\SAMPLES";
  s.knobTops = {4260, 4800, 5415};
  {
    SettingsStore store = Open();
    store.Save(s);
    EXPECT_FALSE(store.IsFirstStart());
  }
  EXPECT_EQ(Open().Load(), s);

  QSettings raw(Path(), QSettings::IniFormat);
  raw.beginGroup("Parameters");
  EXPECT_EQ(raw.value("Notes").toString(), "010001000000000000000001");
  EXPECT_EQ(raw.value("Octaves").toString(), "0000000001000000000000");
  EXPECT_EQ(raw.value("Embedded").toString(), "-1");
  EXPECT_EQ(raw.value("Rate").toString(), "22 kHz");
  EXPECT_EQ(raw.value("LineVolume").toString(), "4260");
  EXPECT_EQ(raw.value("Programs").toString(), "1,5,9-12");
  EXPECT_EQ(raw.value("Folder").toString(), "C:\\SAMPLES");
  EXPECT_FALSE(raw.contains("MidiDev"));  // written by the device choice only
}

TEST_F(SettingsStoreTest, StoredBoxTextsSelectExactlyThePairsThatAreNotZero) {
  WriteFile("[Parameters]\nChannel=1\nNotes=000000000000000000000001\nOctaves=0000000000000000000000\n");
  const StoredSettings s = Open().Load();
  for (std::size_t i = 0; i < 11; ++i) EXPECT_FALSE(s.notes[i]) << i;
  EXPECT_TRUE(s.notes[11]);
  for (bool octave : s.octaves) EXPECT_FALSE(octave);
}

TEST_F(SettingsStoreTest, MissingOrDamagedValuesFallBackToTheFirstStart) {
  WriteFile(
      "[Parameters]\nChannel=abc\nNotes=0001\nRate=192 kHz\nBits=64 float\nChannels=\nLineVolume=abc\n"
      "MicVolume=99999\nOutVolume=-5\nEmbedded=yes\n");
  const StoredSettings s = Open().Load();
  EXPECT_EQ(s.channel, "1");
  EXPECT_FALSE(s.notes[0]);
  EXPECT_TRUE(s.notes[1]);
  for (std::size_t i = 2; i < 12; ++i) EXPECT_TRUE(s.notes[i]) << i;  // beyond the short text
  for (bool octave : s.octaves) EXPECT_TRUE(octave);                  // absent
  EXPECT_EQ(s.rate, "44 kHz");
  EXPECT_EQ(s.bits, "16");
  EXPECT_EQ(s.channels, "Stereo");
  EXPECT_FALSE(s.embedded);
  EXPECT_EQ(s.knobTops[0], DefaultKnobTop(0));
  EXPECT_EQ(s.knobTops[1], kSliders[1].LowestKnobTop());  // kept on the track
  EXPECT_EQ(s.knobTops[2], kSliders[2].trackTop);
  // Absent text keys empty their fields.
  EXPECT_EQ(s.programs, "");
  EXPECT_EQ(s.folder, "");
}

TEST_F(SettingsStoreTest, KeysMatchWithoutRegardToCase) {
  WriteFile("[Parameters]\nMIDIDEV=3\nchannel=7\nprograms=1,5,9\n");
  SettingsStore store = Open();
  EXPECT_EQ(store.LoadMidiDevice(), 3);
  EXPECT_EQ(store.Load().channel, "7");
  EXPECT_EQ(store.Load().programs, "1,5,9");  // a hand-written list with commas
  store.SaveMidiDevice(4);
  QSettings raw(Path(), QSettings::IniFormat);
  raw.beginGroup("Parameters");
  EXPECT_EQ(raw.value("MidiDev").toString(), "4");
  EXPECT_FALSE(raw.contains("MIDIDEV"));
}

TEST_F(SettingsStoreTest, MidiDeviceOutsideTheMenuOrNotANumberIsEntryZero) {
  WriteFile("[Parameters]\nMidiDev=x\n");
  EXPECT_EQ(Open().LoadMidiDevice(), 0);
  WriteFile("[Parameters]\nMidiDev=12\n");
  EXPECT_EQ(Open().LoadMidiDevice(), 0);
  WriteFile("[Parameters]\nMidiDev=9\n");
  EXPECT_EQ(Open().LoadMidiDevice(), 9);
}

TEST_F(SettingsStoreTest, TheUsersStoreIsAnIniFileNamedAfterTheApplication) {
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
  {
    SettingsStore store(SettingsStore::OpenUserSettings());
    store.Write("Channel", "3");
    store.Sync();
  }
  EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("NTR - Notarra.ini"))));
  EXPECT_EQ(SettingsStore(SettingsStore::OpenUserSettings()).Read("Channel"), "3");
}

}  // namespace
}  // namespace ntr::session
