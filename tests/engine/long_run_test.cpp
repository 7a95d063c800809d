// SPDX-License-Identifier: GPL-3.0-or-later
// Going on after a stop or a kill: only missing or unfinished takes are made,
// the estimate counts what is left, and a killed run's leftovers go.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "engine/events/midi_messages.h"
#include "engine/takes/sample_paths.h"
#include "quendal/atomic_file.h"
#include "test_support.h"

namespace ntr {
namespace {

TEST(Resume, OnlyMissingOrUnfinishedTakesAreMadeAndLeftoversGo) {
  testing::Rig rig;
  rig.AddRows({60, 62, 64});
  rig.GeneratePrograms("1,2");
  rig.settings.embedNote = true;
  rig.settings.options.pauseAfterProgramChangeMs = 0;
  rig.Start();
  // Program 1 misses a take and has one cut short; program 2 is complete but
  // for a killed run's temporary take (and a user's file of a similar name).
  const std::string folder1 = rig.InstrumentFolder() + "/PATCH_001", folder2 = rig.InstrumentFolder() + "/PATCH_002";
  std::filesystem::remove(folder1 + "/PATCH001_C5.WAV");
  std::filesystem::resize_file(folder1 + "/PATCH001_D5.WAV",
                               std::filesystem::file_size(folder1 + "/PATCH001_D5.WAV") - 10);
  const std::string leftover = TemporaryRecordingPath(folder2 + "/PATCH002_C5.WAV");
  std::ofstream(leftover) << "half a take";
  const auto halfFinished = quendal::TemporaryPathBeside(folder2 + "/PATCH002_D5.WAV");  // killed while finishing
  std::ofstream(halfFinished) << "half a finished take";
  std::ofstream(folder2 + "/NTRXXX-notes.tmp") << "mine";

  rig.settings.options.skipTakesAlreadyMade = true;
  rig.midi.sent.clear();
  rig.observer = {};
  rig.Start();
  EXPECT_EQ(rig.midi.Messages(),
            (std::vector<std::uint32_t>{midi::ProgramChange(0, 1), midi::NoteOn(0, 60, 127), midi::NoteOff(0, 60),
                                        midi::NoteOn(0, 62, 127), midi::NoteOff(0, 62)}));
  EXPECT_EQ(rig.observer.results.back().leftoversRemoved, 2);
  EXPECT_FALSE(std::filesystem::exists(leftover));
  EXPECT_FALSE(std::filesystem::exists(halfFinished));
  EXPECT_TRUE(std::filesystem::exists(folder2 + "/NTRXXX-notes.tmp"));
  const RunProgress& first = rig.observer.progress.at(0);  // two events of 1.5 s are left
  EXPECT_EQ(first.estimate, "3\"");
  EXPECT_EQ(first.eventsTotal, 2);

  // Everything is made: nothing is played; takes of another format are made again.
  rig.midi.sent.clear();
  rig.Start();
  EXPECT_TRUE(rig.midi.sent.empty());
  rig.settings.format.samplesPerSec = 44100;
  rig.Start();
  EXPECT_EQ(rig.NotesOn().size(), 6u);
}

TEST(Resume, ARunWithoutProgramsWhoseTakesAreAllMadePlaysNoTestNoteEither) {
  testing::Rig rig;
  rig.AddRows({60, 62});
  rig.settings.options.testNotes = true;
  // An instrument that sounds in a recording where a note starts.
  rig.recorder.sounds = [&rig](double start, double stop) {
    return std::any_of(rig.midi.sent.begin(), rig.midi.sent.end(), [=](const auto& m) {
      return (midi::StatusByte(m.message) & 0xF0) == 0x90 && m.time >= start && m.time < stop;
    });
  };
  rig.Start();
  ASSERT_EQ(rig.observer.takes.size(), 2u) << rig.observer.results.back().message;
  rig.settings.options.skipTakesAlreadyMade = true;
  rig.midi.sent.clear();
  rig.Start();
  EXPECT_TRUE(rig.midi.sent.empty());
}

}  // namespace
}  // namespace ntr
