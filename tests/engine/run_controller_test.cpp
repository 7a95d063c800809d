// SPDX-License-Identifier: GPL-3.0-or-later
// The run: its states and transitions, progress, program passes, and what
// happens when buttons are pressed at exact moments of an event (through the
// fake clock's yield hook, as re-entrant clicks arrive in the window).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "engine/events/midi_messages.h"
#include "engine/run/run_controller.h"
#include "quendal/wav.h"
#include "test_support.h"

namespace ntr {
namespace {

using testing::Rig;

bool Contains(const std::vector<RunState>& states, std::vector<RunState> sequence) {
  auto at = states.begin();
  for (RunState wanted : sequence) {
    at = std::find(at, states.end(), wanted);
    if (at == states.end()) return false;
    ++at;
  }
  return true;
}

bool NoteSounding(const Rig& rig) {
  return !rig.midi.sent.empty() && (midi::StatusByte(rig.midi.sent.back().message) & 0xF0) == 0x90;
}

TEST(RunControls, FollowTheStateTable) {
  struct Row {
    RunState state;
    std::string_view caption;
    bool start, stop, resume, settings;
  };
  for (const Row& r : {Row{RunState::Idle, "START", true, false, false, true},
                       Row{RunState::Running, "SUSPEND", true, true, false, false},
                       Row{RunState::SuspendRequested, "SUSPEND", true, true, false, true},
                       Row{RunState::Suspended, "SUSPEND", false, true, true, true},
                       Row{RunState::StopRequested, "START", true, false, false, true}}) {
    const RunControls c = ControlsFor(r.state);
    EXPECT_EQ(c.startCaption, r.caption) << RunStateName(r.state);
    EXPECT_EQ(c.startEnabled, r.start) << RunStateName(r.state);
    EXPECT_EQ(c.stopEnabled, r.stop) << RunStateName(r.state);
    EXPECT_EQ(c.resumeEnabled, r.resume) << RunStateName(r.state);
    EXPECT_EQ(c.settingsEnabled, r.settings) << RunStateName(r.state);
  }
}

TEST(Run, SinglePassPlaysEveryRowAndSavesItsFile) {
  Rig rig;
  rig.AddRows({60, 61, 62});
  std::vector<std::string> playing;
  rig.clock.SetYieldHook([&] {
    EXPECT_EQ(rig.controller.State(), RunState::Running);
    if (NoteSounding(rig)) playing.push_back(rig.controller.Progress().nowPlaying);
  });

  EXPECT_EQ(rig.Start(), RunController::StartResult::RunEnded);

  EXPECT_EQ(rig.NotesOn(), (std::vector<int>{60, 61, 62}));
  EXPECT_TRUE(rig.Programs().empty());
  EXPECT_EQ(rig.midi.opens, 1);
  EXPECT_EQ(rig.midi.closes, 1);
  EXPECT_EQ(rig.midi.sentWhileClosed, 0);
  EXPECT_TRUE(std::find(playing.begin(), playing.end(), "C#5") != playing.end());
  EXPECT_EQ(testing::FilesBelow(rig.InstrumentFolder()),
            (std::vector<std::string>{"PATCH_XXX/PATCHXXX_C#5.WAV", "PATCH_XXX/PATCHXXX_C5.WAV",
                                      "PATCH_XXX/PATCHXXX_D5.WAV"}));
  EXPECT_TRUE(rig.recorder.violations.empty());
  EXPECT_EQ(rig.observer.states, (std::vector<RunState>{RunState::Running, RunState::Idle}));
  EXPECT_EQ(rig.observer.rows, (std::vector<std::size_t>{0, 1, 2, 3, 0}));
  ASSERT_EQ(rig.observer.results.size(), 1u);
  EXPECT_EQ(rig.observer.results[0].outcome, RunOutcome::Completed);
  EXPECT_EQ(rig.observer.results[0].takesSaved, 3);
  EXPECT_TRUE(rig.messages.shown.empty());
  EXPECT_EQ(rig.controller.State(), RunState::Idle);
  EXPECT_EQ(rig.controller.Progress().elapsed, "");
  EXPECT_EQ(rig.controller.Progress().nowPlaying, "");
  EXPECT_EQ(rig.controller.Progress().estimateTitle, "Computed");
}

TEST(Run, SuspendWaitsAfterTheEventUntilResume) {
  Rig rig;
  rig.AddRows({60, 61, 62});
  double suspendedSince = -1;
  rig.clock.SetYieldHook([&] {
    const RunState state = rig.controller.State();
    if (rig.NotesOn().size() == 1 && state == RunState::Running && NoteSounding(rig)) {
      EXPECT_EQ(rig.controller.StartOrSuspend(), RunController::StartResult::SuspendRequested);
      EXPECT_EQ(rig.controller.State(), RunState::SuspendRequested);
    }
    if (state == RunState::Suspended) {
      if (suspendedSince < 0) suspendedSince = rig.clock.Now();
      EXPECT_EQ(rig.NotesOn().size(), 1u);
      EXPECT_EQ(rig.recorder.savedPaths.size(), 1u);  // the event was finished and saved first
      EXPECT_EQ(rig.controller.StartOrSuspend(), RunController::StartResult::Refused);
      if (rig.clock.Now() - suspendedSince >= 5.0) rig.controller.Resume();
    }
  });

  rig.Start();

  EXPECT_EQ(rig.NotesOn(), (std::vector<int>{60, 61, 62}));
  EXPECT_GE(rig.midi.sent[2].time, suspendedSince + 5.0);
  EXPECT_TRUE(Contains(rig.observer.states, {RunState::Running, RunState::SuspendRequested, RunState::Suspended,
                                             RunState::Running, RunState::Idle}));
  EXPECT_EQ(rig.observer.results.back().outcome, RunOutcome::Completed);
}

TEST(Run, StopDuringANoteFinishesTheEventAndRefusesASecondStart) {
  Rig rig;
  rig.AddRows({60, 61, 62}, 1000, 500);
  double stopAt = -1;
  rig.clock.SetYieldHook([&] {
    if (rig.NotesOn().size() == 2 && NoteSounding(rig) && stopAt < 0) {
      stopAt = rig.clock.Now();
      rig.controller.Stop();
      EXPECT_EQ(rig.controller.State(), RunState::StopRequested);
      EXPECT_EQ(rig.controller.Controls().startCaption, "START");
    }
    if (rig.controller.State() == RunState::StopRequested) {
      EXPECT_EQ(rig.controller.StartOrSuspend(), RunController::StartResult::Refused);
      EXPECT_TRUE(rig.controller.RunActive());
    }
  });

  rig.Start();

  EXPECT_EQ(rig.NotesOn(), (std::vector<int>{60, 61}));
  ASSERT_EQ(rig.midi.sent.size(), 4u);
  EXPECT_NEAR(rig.midi.sent[3].time - rig.midi.sent[2].time, 1.0, 1e-9);  // held for its full duration
  EXPECT_TRUE(std::filesystem::exists(rig.InstrumentFolder() + testing::Native("/PATCH_XXX/PATCHXXX_C#5.WAV")));
  EXPECT_EQ(rig.midi.opens, 1);
  EXPECT_EQ(rig.midi.closes, 1);
  EXPECT_EQ(rig.observer.results.back().outcome, RunOutcome::Stopped);
  EXPECT_EQ(rig.observer.results.back().takesSaved, 2);
  EXPECT_EQ(rig.observer.states,
            (std::vector<RunState>{RunState::Running, RunState::StopRequested, RunState::Idle}));
}

TEST(Run, StopWhileSuspendedOrWhileASuspensionIsPendingEndsWithoutAnotherEvent) {
  for (const bool waitUntilSuspended : {true, false}) {
    Rig rig;
    rig.AddRows({60, 61, 62});
    rig.clock.SetYieldHook([&] {
      const RunState state = rig.controller.State();
      if (state == RunState::Running && NoteSounding(rig)) rig.controller.StartOrSuspend();
      if (state == RunState::SuspendRequested && !waitUntilSuspended) rig.controller.Stop();
      if (state == RunState::Suspended) rig.controller.Stop();
    });

    rig.Start();

    EXPECT_EQ(rig.NotesOn(), (std::vector<int>{60})) << waitUntilSuspended;
    EXPECT_EQ(rig.recorder.savedPaths.size(), 1u);
    EXPECT_EQ(rig.observer.results.back().outcome, RunOutcome::Stopped);
    const RunState before = waitUntilSuspended ? RunState::Suspended : RunState::SuspendRequested;
    EXPECT_TRUE(Contains(rig.observer.states, {before, RunState::StopRequested, RunState::Idle}));
  }
}

TEST(Run, SuspendDuringTheLastEventStillWaitsForResumeOrStop) {
  for (const bool resume : {true, false}) {
    Rig rig;
    rig.AddRows({60, 61});
    bool waited = false;
    rig.clock.SetYieldHook([&] {
      const RunState state = rig.controller.State();
      if (state == RunState::Running && rig.NotesOn().size() == 2 && NoteSounding(rig)) {
        rig.controller.StartOrSuspend();
      }
      if (state == RunState::Suspended) {
        EXPECT_TRUE(rig.observer.results.empty());
        waited = true;
        resume ? rig.controller.Resume() : rig.controller.Stop();
      }
    });

    rig.Start();

    EXPECT_TRUE(waited);
    EXPECT_EQ(rig.NotesOn().size(), 2u);
    EXPECT_EQ(rig.observer.results.back().outcome, resume ? RunOutcome::Completed : RunOutcome::Stopped);
    EXPECT_EQ(rig.controller.State(), RunState::Idle);
  }
}

TEST(Run, ButtonsOutsideARunDoNothing) {
  Rig rig;
  EventSelection selection;
  selection.notes[0] = true;
  selection.octaves[5] = true;
  rig.controller.GenerateEvents(selection, true);
  const RunProgress before = rig.controller.Progress();
  rig.controller.Stop();
  rig.controller.Resume();
  EXPECT_EQ(rig.controller.State(), RunState::Idle);
  EXPECT_EQ(rig.controller.Progress(), before);
  EXPECT_TRUE(rig.observer.states.empty());
}

TEST(Run, MidiOpenFailureShowsTheCodeAndPlaysNothing) {
  Rig rig;
  rig.AddRows({60});
  rig.midi.openResult = 7;
  rig.midi.openError = "The MIDI port is gone.";

  rig.Start();

  ASSERT_EQ(rig.messages.shown.size(), 1u);
  EXPECT_EQ(rig.messages.shown[0].title, "NTR");
  EXPECT_EQ(rig.messages.shown[0].text.rfind("Couldn't open midi out, MIDI_RetCode = 7", 0), 0u);
  EXPECT_EQ(rig.messages.shown[0].icon, MessageIcon::None);
  EXPECT_TRUE(rig.midi.sent.empty());
  EXPECT_TRUE(rig.recorder.calls.empty());
  EXPECT_TRUE(std::filesystem::is_directory(rig.InstrumentFolder() + testing::Native("/PATCH_XXX")));
  EXPECT_EQ(rig.observer.results.back().outcome, RunOutcome::MidiOpenFailed);
  EXPECT_EQ(rig.observer.states, (std::vector<RunState>{RunState::Running, RunState::Idle}));
}

// 10 events of 20 s each, in one pass or in two programs of 5 rows: after the
// first event, 20 s have passed and the estimate is 200 s.
TEST(Progress, EstimateAfterTheFirstEventIsElapsedTimesTotal) {
  for (const bool perProgram : {false, true}) {
    Rig rig;
    rig.settings.options.pauseAfterProgramChangeMs = 0;  // no time but the events'
    rig.AddRows(perProgram ? std::vector<int>{60, 61, 62, 63, 64} : std::vector<int>(10, 60), 15000, 5000);
    if (perProgram) rig.GeneratePrograms("0-1");
    std::optional<RunProgress> afterFirst;
    rig.clock.SetYieldHook([&] {
      if (rig.NotesOn().size() == 2 && !afterFirst) afterFirst = rig.controller.Progress();
    });

    rig.Start();

    ASSERT_TRUE(afterFirst) << perProgram;
    EXPECT_EQ(afterFirst->estimate, "3' 20\"") << perProgram;
    EXPECT_EQ(afterFirst->elapsed, "20\"") << perProgram;
    EXPECT_EQ(afterFirst->estimateTitle, "Computed") << perProgram;
    EXPECT_EQ(afterFirst->eventsDone, 1) << perProgram;
    EXPECT_EQ(afterFirst->eventsTotal, 10) << perProgram;
  }
}

TEST(Progress, StopPutsThePreRunEstimateBack) {
  Rig rig;
  rig.clock.SetYieldCost(0.5);  // the events take longer than estimated
  EventSelection selection;
  selection.notes[0] = selection.notes[2] = true;
  selection.octaves[5] = true;
  selection.duration = "1000";
  selection.decay = "1000";
  rig.controller.GenerateEvents(selection, true);
  ASSERT_EQ(rig.controller.Progress().estimate, "4\"");
  ASSERT_EQ(rig.controller.Progress().estimateTitle, "Extimated");

  rig.clock.SetYieldHook([&] {
    if (rig.NotesOn().size() == 2 && rig.controller.State() == RunState::Running) {
      EXPECT_NE(rig.controller.Progress().estimate, "4\"");  // the running estimate
      rig.controller.Stop();
      EXPECT_EQ(rig.controller.Progress().estimate, "4\"");
      EXPECT_EQ(rig.controller.Progress().elapsed, "");
      EXPECT_EQ(rig.controller.Progress().nowPlaying, "");
    }
  });
  rig.Start();

  EXPECT_EQ(rig.controller.Progress().estimate, "4\"");
  EXPECT_EQ(rig.controller.Progress().estimateTitle, "Computed");
}

TEST(Progress, ProjectionUsesWideCounts) {
  EXPECT_EQ(ProjectedRunSeconds(20.0, 1, 10), 200);
  EXPECT_EQ(ProjectedRunSeconds(20.0, 0, 10), std::nullopt);
  EXPECT_EQ(ProjectedRunSeconds(45000.0, 40000, 80000), 90000);  // past 16-bit counts
  EXPECT_EQ(ProjectedRunSeconds(2.5, 1, 1), 2);                   // halves to even
}

TEST(Programs, EmptyGridInBothModesPlaysNothingButMakesTheFolders) {
  for (const bool perProgram : {false, true}) {
    Rig rig;
    if (perProgram) rig.GeneratePrograms("0-127");
    rig.Start();
    EXPECT_TRUE(rig.NotesOn().empty());
    EXPECT_EQ(rig.midi.opens, 1);
    EXPECT_EQ(rig.midi.closes, 1);
    EXPECT_EQ(rig.Programs().size(), perProgram ? 128u : 0u);
    const std::string folder = rig.InstrumentFolder() + testing::Native(perProgram ? "/PATCH_127" : "/PATCH_XXX");
    EXPECT_TRUE(std::filesystem::is_directory(folder)) << folder;
    EXPECT_EQ(rig.observer.results.back().outcome, RunOutcome::Completed);
    EXPECT_TRUE(rig.messages.shown.empty());
  }
}

TEST(Programs, EachProgramIsChangedToThenPlayedWithEveryRowAndAnEmptyItemIsSkipped) {
  Rig rig;
  rig.AddRows({60, 62});
  rig.GeneratePrograms("1,,2");
  rig.Start();

  std::vector<std::uint32_t> expected;
  for (const int program : {1, 2}) {
    expected.push_back(midi::ProgramChange(0, program));
    for (const int note : {60, 62}) {
      expected.push_back(midi::NoteOn(0, note, 127));
      expected.push_back(midi::NoteOff(0, note));
    }
  }
  EXPECT_EQ(rig.midi.Messages(), expected);
  EXPECT_EQ(testing::FilesBelow(rig.InstrumentFolder()),
            (std::vector<std::string>{"PATCH_001/PATCH001_C5.WAV", "PATCH_001/PATCH001_D5.WAV",
                                      "PATCH_002/PATCH002_C5.WAV", "PATCH_002/PATCH002_D5.WAV"}));
  EXPECT_EQ(rig.observer.results.back().takesSaved, 4);
  // The row index restarts for each program.
  EXPECT_EQ(rig.observer.rows, (std::vector<std::size_t>{0, 1, 2, 0, 1, 2, 0}));
}

TEST(Programs, TheModeFollowsTheFieldAtStartAndTheSlotsTheLastGeneration) {
  {  // A list typed after generating with none: per-program mode, but no slot is used.
    Rig rig;
    rig.AddRows({60});
    rig.GeneratePrograms("");
    rig.settings.programList = "5";
    rig.Start();
    EXPECT_TRUE(rig.midi.sent.empty());
    EXPECT_TRUE(std::filesystem::is_directory(rig.InstrumentFolder()));
    EXPECT_TRUE(testing::FilesBelow(rig.dir.Path()).empty());
    EXPECT_TRUE(std::filesystem::is_empty(rig.InstrumentFolder()));
  }
  {  // A list emptied after generating with one: a single pass.
    Rig rig;
    rig.AddRows({60});
    rig.GeneratePrograms("0-1");
    rig.settings.programList = "  ";
    rig.Start();
    EXPECT_EQ(rig.NotesOn(), std::vector<int>{60});
    EXPECT_EQ(testing::FilesBelow(rig.InstrumentFolder()), std::vector<std::string>{"PATCH_XXX/PATCHXXX_C5.WAV"});
  }
}

TEST(Midi, NotesUseTheWindowsVelocityAndChannelWithTheExactMessageValues) {
  Rig rig;
  rig.events.AppendRow({"G10", "5", "3", "100", "100", "127"});  // Vel and Chn cells are not used
  rig.GeneratePrograms("0");
  rig.settings.velocity = "127";
  rig.settings.channel = "16";
  rig.Start();
  EXPECT_EQ(rig.midi.Messages(), (std::vector<std::uint32_t>{0x000000CFu, 0x007F7F9Fu, 0x00007F8Fu}));

  Rig first;
  first.AddRows({0});
  first.GeneratePrograms("0");
  first.settings.velocity = "300";  // changed after generation: pulled into range
  first.Start();
  EXPECT_EQ(first.midi.Messages(), (std::vector<std::uint32_t>{0x000000C0u, 0x007F0090u, 0x00000080u}));
}

TEST(Run, TheFormatIsReadAtEveryEvent) {
  Rig rig;
  rig.AddRows({60, 61});
  rig.settings.format = {44100, 16, 2};
  struct SwitchFormat : RunObserver {
    explicit SwitchFormat(PlainRunSettings& s) : settings(s) {}
    void TakeSaved(const SavedTake&) override { settings.format = {11025, 8, 1}; }
    PlainRunSettings& settings;
  } switcher(rig.settings);
  rig.controller.AddObserver(&switcher);
  rig.Start();
  rig.controller.RemoveObserver(&switcher);

  const std::string first = testing::ReadBytes(rig.observer.takes.at(0).file);
  const std::string second = testing::ReadBytes(rig.observer.takes.at(1).file);
  EXPECT_EQ(testing::LittleEndian32(first, 24), 44100u);
  EXPECT_EQ(testing::LittleEndian32(second, 24), 11025u);
}

TEST(Reentrancy, AListRebuiltUnderASuspendedRunChangesOnlyWhatComesNext) {
  for (const int newRows : {1, 6}) {
    Rig rig;
    rig.AddRows({60, 61, 62, 63});
    bool rebuilt = false;
    rig.clock.SetYieldHook([&] {
      const RunState state = rig.controller.State();
      if (state == RunState::Running && rig.NotesOn().size() == 1 && NoteSounding(rig)) {
        rig.controller.StartOrSuspend();
      }
      if (state == RunState::Suspended && !rebuilt) {
        rebuilt = true;
        EventSelection selection;  // octave 0: C0, C#0, ...
        for (int i = 0; i < newRows; ++i) selection.notes[static_cast<std::size_t>(i)] = true;
        selection.octaves[0] = true;
        rig.controller.GenerateEvents(selection, true);
        rig.controller.Resume();
      }
    });

    rig.Start();

    const std::vector<int> expected = newRows == 1 ? std::vector<int>{60} : std::vector<int>{60, 1, 2, 3, 4, 5};
    EXPECT_EQ(rig.NotesOn(), expected) << newRows;
    EXPECT_EQ(rig.observer.results.back().outcome, RunOutcome::Completed) << newRows;
    EXPECT_TRUE(rig.messages.shown.empty()) << newRows;
  }
}

TEST(Embedding, EveryTakeCarriesItsOwnNoteAndRateAndNoTemporaryFileStays) {
  Rig rig;
  rig.AddRows({60, 72});
  rig.settings.embedNote = true;
  rig.settings.format = {44100, 16, 1};
  struct SwitchFormat : RunObserver {
    explicit SwitchFormat(PlainRunSettings& s) : settings(s) {}
    void TakeSaved(const SavedTake&) override { settings.format = {11025, 16, 1}; }
    PlainRunSettings& settings;
  } switcher(rig.settings);
  rig.controller.AddObserver(&switcher);
  rig.Start();
  rig.controller.RemoveObserver(&switcher);

  EXPECT_EQ(testing::FilesBelow(rig.InstrumentFolder()),
            (std::vector<std::string>{"PATCH_XXX/PATCHXXX_C5.WAV", "PATCH_XXX/PATCHXXX_C6.WAV"}));
  for (const auto& [take, note, period] : {std::tuple{0, 60, 22675}, std::tuple{1, 72, 90702}}) {
    EXPECT_TRUE(rig.observer.takes.at(take).tagged);
    quendal::Wav wav;
    ASSERT_EQ(wav.GetWavFile(rig.observer.takes.at(take).file), 0);
    EXPECT_EQ(wav.SmplChunk->ChunkId, "smpl");
    EXPECT_EQ(wav.SmplChunk->MIDIUnityNote, note);
    EXPECT_EQ(wav.SmplChunk->SamplePeriod, period);
  }
}

}  // namespace
}  // namespace ntr
