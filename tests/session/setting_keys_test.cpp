// SPDX-License-Identifier: GPL-3.0-or-later
// The key table as the batch mode's --set and the settings file use it:
// what an empty or a saved store gives, every key's --set format, and the
// values that are refused.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "session/run_setup.h"
#include "session/setting_keys.h"
#include "session/settings_store.h"

namespace ntr::session {
namespace {

class Settings : public testing::Test {
 protected:
  Settings() : store_(SettingsStore::OpenFile(dir_.filePath("s.ini"))) {}
  void Set(const std::string& key, const std::string& value) { ApplyOverride(settings_, key, value); }
  bool Refused(const std::string& key, const std::string& value) {
    try {
      Set(key, value);
    } catch (const SettingError& error) {
      EXPECT_NE(std::string(error.what()).find(key), std::string::npos) << error.what();
      return true;
    }
    return false;
  }

  QTemporaryDir dir_;
  SettingsStore store_;
  SessionSettings settings_;
};

TEST_F(Settings, AnEmptyStoreGivesTheWindowsFirstStart) {
  settings_ = store_.LoadSession();
  EXPECT_EQ(settings_.stored.programs, "0-127");
  EXPECT_TRUE(settings_.stored.embedded);  // the window's box starts checked
  EXPECT_EQ(settings_.midiDevice, 0);
  const PlainRunSettings run = RunSettingsOf(settings_);
  EXPECT_EQ(run.format.samplesPerSec, 44100);
  EXPECT_EQ(run.format.bitsPerSample, 16);
  EXPECT_EQ(run.format.channels, 2);
}

TEST_F(Settings, StoredValuesAreReadAndNeverWritten) {
  store_.Write("Channel", "3");
  store_.Write("Embedded", "0");
  store_.Write("Rate", "11 kHz");
  store_.Write("MIDIDev", "2");
  store_.Sync();
  settings_ = store_.LoadSession();
  EXPECT_EQ(settings_.stored.channel, "3");
  EXPECT_FALSE(settings_.stored.embedded);
  EXPECT_EQ(settings_.midiDevice, 2);
  EXPECT_EQ(RunSettingsOf(settings_).format.samplesPerSec, 11025);
  Set("Channel", "9");
  EXPECT_EQ(store_.Read("Channel"), "3");
}

TEST_F(Settings, EveryKeyTakesItsFormatWithoutRegardToCase) {
  settings_ = store_.LoadSession();
  Set("notes", "000000000000000000000001");
  Set("OCTAVES", "0000000000000000000001");
  Set("Channel", "16");
  Set("Programs", " 1,,5-7 ");
  Set("Velocity", "0");
  Set("Duration", "32000");
  Set("Decay", "0");
  Set("Rate", "22khz");
  Set("Bits", "8");
  Set("Channels", "mono");
  Set("Embedded", "0");
  Set("Gear", "My Piano");
  Set("Folder", "/tmp/x");
  Set("LineVolume", "4260");
  Set("MicVolume", "5415");
  Set("OutVolume", "5000");
  Set("mididev", "9");
  Set("velocitylayers", "40, 127");
  Set("Instrument/RoundRobins", "8");
  Set("loops", "auto");
  Set("PlayMode", "one-shot");

  const StoredSettings& s = settings_.stored;
  EXPECT_TRUE(s.notes[11]);
  EXPECT_FALSE(s.notes[0]);
  EXPECT_TRUE(s.octaves[10]);
  EXPECT_EQ(s.rate, "22 kHz");
  EXPECT_EQ(s.channels, "Mono");
  EXPECT_EQ(s.knobTops, (std::array<int, 3>{4260, 5415, 5000}));
  EXPECT_EQ(settings_.midiDevice, 9);
  EXPECT_EQ(settings_.options.loops, "auto");
  EXPECT_EQ(settings_.options.playMode, "one-shot");

  const EventSelection selection = SelectionOf(settings_);
  EXPECT_EQ(selection.programList, " 1,,5-7 ");
  EXPECT_EQ(selection.channel, "16");
  EXPECT_EQ(selection.velocityLayers, "40, 127");
  EXPECT_EQ(selection.roundRobins, 8);
  const PlainRunSettings run = RunSettingsOf(settings_);
  EXPECT_EQ(run.saveFolder, "/tmp/x");
  EXPECT_EQ(run.instrumentName, "My Piano");
  EXPECT_FALSE(run.embedNote);
  EXPECT_EQ(run.format.samplesPerSec, 22050);
  EXPECT_EQ(run.format.bitsPerSample, 8);
  EXPECT_EQ(run.format.channels, 1);

  Set("Rate", "44100");
  Set("Channels", "2");
  Set("Embedded", "-1");
  EXPECT_EQ(RunSettingsOf(settings_).format.samplesPerSec, 44100);
  // The rows after the first ones: higher rates, 24 bits and float.
  Set("Rate", "88.2khz");
  Set("Bits", "32 Float");
  EXPECT_EQ(settings_.stored.bits, "32 float");
  EXPECT_EQ(RunSettingsOf(settings_).format.samplesPerSec, 88200);
  EXPECT_EQ(RunSettingsOf(settings_).format.bitsPerSample, 32);
  Set("Rate", "96000");
  Set("Bits", "24");
  EXPECT_EQ(RunSettingsOf(settings_).format.samplesPerSec, 96000);
  EXPECT_EQ(RunSettingsOf(settings_).format.bitsPerSample, 24);
  EXPECT_EQ(RunSettingsOf(settings_).format.channels, 2);
  EXPECT_TRUE(RunSettingsOf(settings_).embedNote);
}

TEST_F(Settings, ValuesOutsideTheirFormatAreRefusedAndChangeNothing) {
  settings_ = store_.LoadSession();
  const SessionSettings before = settings_;
  EXPECT_TRUE(Refused("Notes", "01"));
  EXPECT_TRUE(Refused("Notes", "0100000000000000000000x1"));
  EXPECT_TRUE(Refused("Octaves", "000000000000000000000000"));
  EXPECT_TRUE(Refused("Channel", "0"));
  EXPECT_TRUE(Refused("Channel", "17"));
  EXPECT_TRUE(Refused("Programs", "0-127;5"));
  EXPECT_TRUE(Refused("Velocity", "128"));
  EXPECT_TRUE(Refused("Velocity", "loud"));
  EXPECT_TRUE(Refused("Duration", "-1"));
  EXPECT_TRUE(Refused("Decay", "32001"));
  EXPECT_TRUE(Refused("Rate", "50 kHz"));
  EXPECT_TRUE(Refused("Bits", "12"));
  EXPECT_TRUE(Refused("Bits", "32 int"));
  EXPECT_TRUE(Refused("Channels", "Quad"));
  EXPECT_TRUE(Refused("Embedded", "yes"));
  EXPECT_TRUE(Refused("Folder", "  "));
  EXPECT_TRUE(Refused("LineVolume", "4259"));
  EXPECT_TRUE(Refused("OutVolume", "5416"));
  EXPECT_TRUE(Refused("MidiDev", "10"));
  EXPECT_TRUE(Refused("Instrument", "x"));
  EXPECT_TRUE(Refused("VelocityLayers", "0,80"));
  EXPECT_TRUE(Refused("VelocityLayers", "40;80"));
  EXPECT_TRUE(Refused("Instrument/RoundRobins", "9"));
  EXPECT_TRUE(Refused("RoundRobins", "0"));
  EXPECT_TRUE(Refused("Loops", "on"));
  EXPECT_TRUE(Refused("Instrument/PlayMode", "oneshot"));
  EXPECT_EQ(settings_.stored, before.stored);
  EXPECT_EQ(settings_.midiDevice, before.midiDevice);
  EXPECT_EQ(settings_.options, before.options);
}

}  // namespace
}  // namespace ntr::session
