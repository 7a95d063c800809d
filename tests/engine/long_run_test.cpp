// Runs that last the night: going on after a stop or a kill without making a
// take twice, the pause that lets a synthesizer switch programs, and the
// leftovers of a killed run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/midi_messages.h"
#include "engine/sample_paths.h"
#include "test_support.h"

namespace ntr {
namespace {

std::vector<std::string> NotesOnNames(const testing::Rig& rig) {
  std::vector<std::string> names;
  for (const int note : rig.NotesOn()) names.push_back(std::to_string(note));
  return names;
}

TEST(Resume, OnlyMissingOrUnfinishedTakesAreMadeAndLeftoversGo) {
  testing::Rig rig;
  rig.AddRows({60, 62, 64});
  rig.GeneratePrograms("1,2");
  rig.settings.embedNote = true;
  rig.settings.options.pauseAfterProgramChangeMs = 0;
  rig.Start();
  ASSERT_EQ(rig.observer.takes.size(), 6u);

  const std::string folder1 = rig.InstrumentFolder() + "/PATCH_001";
  const std::string folder2 = rig.InstrumentFolder() + "/PATCH_002";
  // Program 1: one take is missing, one cut short. Program 2 is complete.
  std::filesystem::remove(folder1 + "/PATCH001_C5.WAV");
  const auto size = std::filesystem::file_size(folder1 + "/PATCH001_D5.WAV");
  std::filesystem::resize_file(folder1 + "/PATCH001_D5.WAV", size - 10);
  // A killed run's temporary take, and files that only look like one or lie elsewhere.
  const std::string leftover = TemporaryRecordingPath(folder2 + "/PATCH002_C5.WAV");
  std::ofstream(leftover) << "half a take";
  std::ofstream(folder2 + "/NTRXXX-notes.tmp") << "mine";
  std::ofstream(rig.InstrumentFolder() + "/" + std::filesystem::path(leftover).filename().string()) << "elsewhere";

  rig.settings.options.skipTakesAlreadyMade = true;
  rig.midi.sent.clear();
  rig.observer = {};
  rig.Start();

  EXPECT_EQ(rig.midi.Messages(),
            (std::vector<std::uint32_t>{midi::ProgramChange(0, 1), midi::NoteOn(0, 60, 127), midi::NoteOff(0, 60),
                                        midi::NoteOn(0, 62, 127), midi::NoteOff(0, 62)}));
  const RunResult& result = rig.observer.results.back();
  EXPECT_EQ(result.outcome, RunOutcome::Completed);
  EXPECT_EQ(result.takesSaved, 2);
  EXPECT_EQ(result.leftoversRemoved, 1);
  EXPECT_FALSE(std::filesystem::exists(leftover));
  EXPECT_TRUE(std::filesystem::exists(folder2 + "/NTRXXX-notes.tmp"));
  // Two events of 1.5 s are left: the estimate and the counts say so.
  const RunProgress& first = rig.observer.progress.at(0);
  EXPECT_EQ(first.estimate, "3\"");
  EXPECT_EQ(first.eventsTotal, 2);
  EXPECT_EQ(first.eventsSkipped, 4);

  // Everything is made now: the next run plays nothing, and a take made in
  // another format is made again.
  rig.midi.sent.clear();
  rig.Start();
  EXPECT_TRUE(rig.midi.sent.empty());
  rig.settings.format.samplesPerSec = 44100;
  rig.Start();
  EXPECT_EQ(NotesOnNames(rig), (std::vector<std::string>{"60", "62", "64", "60", "62", "64"}));
}

TEST(ProgramChangePause, TheFirstNoteOfAProgramWaitsAndTheEstimateCountsIt) {
  for (const int pauseMs : {0, 500}) {
    testing::Rig rig;
    rig.settings.options.pauseAfterProgramChangeMs = pauseMs;
    rig.AddRows({60, 62});
    rig.GeneratePrograms("3,4");
    // 2 programs x 2 rows x (2 s + 0.5 s) as generated, and a pause per program.
    EXPECT_EQ(rig.controller.Progress().estimate, pauseMs == 0 ? "10\"" : "11\"");
    rig.Start();

    std::vector<double> gaps;  // from each message to the next
    const auto& sent = rig.midi.sent;
    for (std::size_t i = 0; i + 1 < sent.size(); ++i) gaps.push_back(sent[i + 1].time - sent[i].time);
    ASSERT_EQ(sent.size(), 10u);
    EXPECT_EQ(sent[0].message, midi::ProgramChange(0, 3));
    EXPECT_GE(gaps[0], pauseMs / 1000.0) << pauseMs;
    EXPECT_LT(gaps[0], pauseMs / 1000.0 + 0.01) << pauseMs;
    EXPECT_GE(gaps[5], pauseMs / 1000.0) << pauseMs;  // program 4 waits too
    EXPECT_LT(gaps[2], 0.55) << "only the first note of a program waits";
  }
}

}  // namespace
}  // namespace ntr
