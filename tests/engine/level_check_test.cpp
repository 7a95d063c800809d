// SPDX-License-Identifier: GPL-3.0-or-later
// The level check and the marks of every take, on fakes whose instrument
// sounds only when the test says so: silent from the start, silent on some
// keys, gone in the middle of a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "engine/run/level_check.h"
#include "engine/events/midi_messages.h"
#include "test_support.h"

namespace ntr::testing {
namespace {

// Whether a note on reached the instrument while [start, stop) was recorded,
// and which (the last one).
std::optional<int> NotePlayedBetween(const fakes::FakeMidiOutput& midi, double start, double stop) {
  std::optional<int> note;
  for (const auto& m : midi.sent) {
    if ((midi::StatusByte(m.message) & 0xF0) == 0x90 && m.time >= start && m.time < stop) {
      note = midi::DataByte1(m.message);
    }
  }
  return note;
}

struct CheckedRig : Rig {
  explicit CheckedRig(std::function<bool(int note, int notesOnSoFar)> instrument) {
    settings.options.testNotes = true;
    controller.AddObserver(&observer);
    recorder.sounds = [this, instrument](double start, double stop) {
      const auto note = NotePlayedBetween(midi, start, stop);
      return note && instrument(*note, static_cast<int>(NotesOn().size()));
    };
  }
  std::size_t Marked(TakeStatus status) const {
    return static_cast<std::size_t>(std::count_if(observer.takes.begin(), observer.takes.end(),
                                                  [status](const SavedTake& t) { return t.status == status; }));
  }
};

TEST(LevelCheck, TriesTheMiddleNoteThenOthersSpreadOverTheList) {
  EXPECT_EQ(TestNoteOrder({60, 62, 64, 65, 67, 69, 71, 72}), (std::vector<int>{67, 64, 71, 60, 72}));
  EXPECT_EQ(TestNoteOrder({60}), (std::vector<int>{60}));
  EXPECT_TRUE(TestNoteOrder({}).empty());
}

TEST(LevelCheck, ASilentInstrumentStopsTheRunBeforeAnyTake) {
  CheckedRig rig([](int, int) { return false; });
  rig.AddRows({60, 62, 64, 65, 67, 69, 71, 72});
  rig.Start();

  EXPECT_EQ(rig.NotesOn(), (std::vector<int>{67, 64, 71, 60, 72}));  // five test notes, no take
  EXPECT_TRUE(FilesBelow(rig.InstrumentFolder()).empty()) << "no take, and no probe left behind";
  EXPECT_EQ(rig.observer.results.at(0).outcome, RunOutcome::InstrumentSilent);
  ASSERT_EQ(rig.messages.shown.size(), 1u);
  EXPECT_NE(rig.messages.shown[0].text.find("The instrument is silent"), std::string::npos);
  EXPECT_NE(rig.messages.shown[0].text.find("unplugged"), std::string::npos) << "names the likely causes";
}

TEST(LevelCheck, KeysOutsideThePatchAreMarkedSilentAndTheRunGoesOn) {
  // The patch sounds from E5 up: the ten lower keys are silent, which is no failure
  // (after eight of them the test note is played again, and it still sounds).
  std::vector<int> notes;
  for (int n = 54; n < 70; ++n) notes.push_back(n);
  CheckedRig rig([](int note, int) { return note >= 64; });
  rig.AddRows(notes, 100, 50);
  rig.Start();

  EXPECT_EQ(rig.observer.results.at(0).outcome, RunOutcome::Completed);
  EXPECT_EQ(rig.observer.takes.size(), notes.size());
  EXPECT_EQ(rig.Marked(TakeStatus::Silent), 10u);
  EXPECT_EQ(rig.observer.results.at(0).takesSilent, 10);
  EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(LevelCheck, AnInstrumentThatGoesAwayStopsTheRunAfterEightSilentTakes) {
  std::vector<int> notes;
  for (int n = 48; n < 72; ++n) notes.push_back(n);
  // Sounds for the test note and the first three takes, then never again.
  CheckedRig rig([](int, int notesOnSoFar) { return notesOnSoFar <= 4; });
  rig.AddRows(notes, 100, 50);
  rig.Start();

  EXPECT_EQ(rig.observer.results.at(0).outcome, RunOutcome::InstrumentSilent);
  EXPECT_EQ(rig.observer.takes.size(), 3u + 8u) << "every take made before the stop is kept";
  EXPECT_EQ(rig.Marked(TakeStatus::Silent), 8u);
  const std::vector<int> played = rig.NotesOn();
  EXPECT_EQ(std::vector<int>(played.end() - 2, played.end()), (std::vector<int>{50, 60}))
      << "the last note that sounded was played again, then the test note";
  ASSERT_EQ(rig.messages.shown.size(), 1u);
  EXPECT_NE(rig.messages.shown[0].text.find("went away during the run"), std::string::npos);
}

}  // namespace
}  // namespace ntr::testing
