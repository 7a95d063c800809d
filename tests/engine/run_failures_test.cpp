// SPDX-License-Identifier: GPL-3.0-or-later
// Failures are never reported as success: the run stops at the first failed
// event with a message naming the note, the file and the cause, and keeps
// every take already saved.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>

#include "engine/run/run_controller.h"
#include "quendal/wav.h"
#include "test_support.h"

namespace ntr {
namespace {

using fakes::RecorderOp;
using testing::Native;
using testing::Rig;

bool Mentions(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct RecorderFailure {
  RecorderOp op;
  bool notePlayed;  // the failure comes after the note was played
  const char* cause;
};

void PrintTo(const RecorderFailure& failure, std::ostream* out) { *out << '"' << failure.cause << '"'; }

class RecorderFailureTest : public ::testing::TestWithParam<RecorderFailure> {};

TEST_P(RecorderFailureTest, StopsAtTheFailedEventAndKeepsWhatWasSaved) {
  const RecorderFailure failure = GetParam();
  Rig rig;
  rig.AddRows({60, 62, 64});
  rig.GeneratePrograms("7");
  rig.recorder.FailAt(failure.op, failure.cause, 2);

  rig.Start();

  const std::vector<int> played = failure.notePlayed ? std::vector<int>{60, 62} : std::vector<int>{60};
  EXPECT_EQ(rig.NotesOn(), played);
  EXPECT_EQ(rig.midi.Messages().size(), 1 + 2 * played.size()) << "every note on has its note off";
  EXPECT_EQ(testing::FilesBelow(rig.InstrumentFolder()), std::vector<std::string>{"PATCH_007/PATCH007_C5.WAV"});
  EXPECT_EQ(rig.recorder.Count(RecorderOp::NewRecording), rig.recorder.Count(RecorderOp::Close));
  EXPECT_EQ(rig.recorder.Count(RecorderOp::EndOfRun), 1);
  EXPECT_EQ(rig.recorder.calls.back().op, RecorderOp::EndOfRun);
  EXPECT_EQ(rig.midi.closes, 1);

  ASSERT_EQ(rig.messages.shown.size(), 1u);
  const fakes::ShownMessage& message = rig.messages.shown[0];
  EXPECT_EQ(message.title, "NTR - Notarra");
  EXPECT_EQ(message.icon, MessageIcon::Critical);
  EXPECT_TRUE(Mentions(message.text, "D5")) << message.text;
  EXPECT_TRUE(Mentions(message.text, "program 007")) << message.text;
  EXPECT_TRUE(Mentions(message.text, rig.InstrumentFolder() + Native("/PATCH_007/PATCH007_D5.WAV"))) << message.text;
  EXPECT_TRUE(Mentions(message.text, failure.cause)) << message.text;

  const RunResult& result = rig.observer.results.at(0);
  EXPECT_EQ(result.outcome, RunOutcome::EventFailed);
  EXPECT_EQ(result.takesSaved, 1);
  EXPECT_EQ(result.message, message.text);
  EXPECT_EQ(rig.controller.State(), RunState::Idle);
}

std::string OperationName(const ::testing::TestParamInfo<RecorderFailure>& info) {
  static const char* const names[] = {"NewRecording", "SetFormat", "Record", "Stop", "Save", "Close"};
  return names[static_cast<int>(info.param.op)];
}

INSTANTIATE_TEST_SUITE_P(EachOperation, RecorderFailureTest,
                         ::testing::Values(RecorderFailure{RecorderOp::NewRecording, false, "No audio input device found"},
                                           RecorderFailure{RecorderOp::SetFormat, false, "format refused by the card"},
                                           RecorderFailure{RecorderOp::Record, false, "stream error"},
                                           RecorderFailure{RecorderOp::Stop, true, "overruns during the take"},
                                           RecorderFailure{RecorderOp::Save, true, "No space left on device"}),
                         OperationName);

TEST(RunFailures, AFormatTheDeviceRefusesIsNamedInTheMessage) {
  Rig rig;
  rig.AddRows({60});
  rig.settings.format = {48000, 24, 2};
  rig.Start();
  ASSERT_EQ(rig.messages.shown.size(), 1u);
  EXPECT_TRUE(Mentions(rig.messages.shown[0].text, "48000 Hz, 24 bits, stereo")) << rig.messages.shown[0].text;
  EXPECT_TRUE(rig.NotesOn().empty());
}

// A take that is in its file is never a reason to stop an unattended run:
// the take that could not be tagged is kept untagged, with a warning.
TEST(RunFailures, ATakeThatCannotBeTaggedIsSavedUntaggedAndTheRunGoesOn) {
  Rig rig;
  rig.AddRows({60, 62, 64});
  rig.settings.embedNote = true;
  int saves = 0;
  // The second recording's format chunk has no rate: no sample period can be computed.
  rig.recorder.decorate = [&](quendal::Wav& wav) {
    if (++saves == 2) wav.Fmt_Chunk->SampleRate = 0;
  };

  rig.Start();

  EXPECT_EQ(rig.NotesOn(), (std::vector<int>{60, 62, 64}));
  EXPECT_EQ(testing::FilesBelow(rig.InstrumentFolder()),
            (std::vector<std::string>{"PATCH_XXX/PATCHXXX_C5.WAV", "PATCH_XXX/PATCHXXX_D5.WAV",
                                      "PATCH_XXX/PATCHXXX_E5.WAV"}));
  quendal::Wav untagged;
  ASSERT_EQ(untagged.GetWavFile(rig.InstrumentFolder() + Native("/PATCH_XXX/PATCHXXX_D5.WAV")), 0);
  EXPECT_EQ(untagged.SmplChunk->ChunkId, "");
  EXPECT_FALSE(untagged.DataChunk->ChunkData.empty());

  EXPECT_TRUE(rig.messages.shown.empty());
  ASSERT_EQ(rig.observer.takes.size(), 3u);
  EXPECT_TRUE(rig.observer.takes[0].tagged);
  EXPECT_FALSE(rig.observer.takes[1].tagged);
  const std::vector<std::string>& warnings = rig.observer.takes[1].warnings;
  EXPECT_TRUE(std::any_of(warnings.begin(), warnings.end(),
                          [](const std::string& warning) { return Mentions(warning, "saved without it"); }))
      << ::testing::PrintToString(warnings);
  EXPECT_TRUE(rig.observer.takes[2].tagged);
  EXPECT_EQ(rig.observer.results.at(0).outcome, RunOutcome::Completed);
  EXPECT_EQ(rig.observer.results.at(0).takesSaved, 3);
  EXPECT_EQ(rig.observer.results.at(0).warnings, 1);
}

TEST(RunFailures, AFolderThatCannotBeMadeIsReportedBeforeAnyNote) {
  for (const bool emptyFolder : {false, true}) {
    Rig rig;
    rig.AddRows({60});
    testing::WriteBytes(rig.dir.Path() / "blocker", "a file");
    rig.settings.saveFolder = emptyFolder ? "" : (rig.dir.Path() / "blocker" / "SAMPLES").string();

    rig.Start();

    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].icon, MessageIcon::Critical);
    if (!emptyFolder) {
      EXPECT_TRUE(Mentions(rig.messages.shown[0].text, rig.settings.saveFolder));
    }
    EXPECT_EQ(rig.midi.opens, 0);
    EXPECT_TRUE(rig.recorder.calls.empty());
    EXPECT_EQ(rig.observer.results.at(0).outcome, RunOutcome::FoldersFailed);
    EXPECT_EQ(rig.controller.State(), RunState::Idle);
  }
}

TEST(RunFailures, ASaveFolderWhoseParentsAreMissingStillReceivesItsFiles) {
  Rig rig;
  rig.AddRows({60});
  rig.settings.saveFolder = (rig.dir.Path() / "new" / "deeper" / "My Samples").string();
  rig.settings.instrumentName = "";
  rig.Start();
  EXPECT_EQ(testing::FilesBelow(rig.dir.Path()),
            std::vector<std::string>{"new/deeper/My Samples/PATCH_XXX/PATCHXXX_C5.WAV"});
  EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(RunFailures, ARowThatCannotBePlayedStopsTheRunThere) {
  Rig rig;
  rig.AddRows({60});
  rig.events.AppendRow({"X1", "127", "1", "100", "100", "not a note"});
  rig.AddRows({64});
  rig.Start();
  EXPECT_EQ(rig.NotesOn(), std::vector<int>{60});
  ASSERT_EQ(rig.messages.shown.size(), 1u);
  EXPECT_TRUE(Mentions(rig.messages.shown[0].text, "not a note")) << rig.messages.shown[0].text;
  EXPECT_EQ(rig.observer.results.at(0).outcome, RunOutcome::EventFailed);
}

TEST(RunFailures, AFailingMidiOutputEndsTheRunCleanly) {
  Rig rig;
  rig.AddRows({60});
  rig.GeneratePrograms("1,2");
  rig.midi.onSend = [&](std::uint32_t) {
    if (rig.Programs().size() == 2) throw DeviceError("the MIDI port was unplugged");
  };
  rig.Start();
  EXPECT_EQ(rig.NotesOn(), std::vector<int>{60});
  ASSERT_EQ(rig.messages.shown.size(), 1u);
  EXPECT_TRUE(Mentions(rig.messages.shown[0].text, "unplugged"));
  EXPECT_EQ(rig.midi.closes, 1);
  EXPECT_EQ(rig.recorder.Count(RecorderOp::EndOfRun), 1);
  EXPECT_EQ(rig.observer.results.at(0).outcome, RunOutcome::EventFailed);
  EXPECT_EQ(rig.controller.State(), RunState::Idle);
}

// A take that lost audio is made again (the note played anew) before it may
// end an unattended run.
TEST(Dropouts, ATakeThatLostAudioOnceIsRecordedAgain) {
  Rig rig;
  rig.AddRows({60, 62}, 1000, 500);
  rig.recorder.DropoutAt(RecorderOp::Stop, "Audio was lost during the take", 1);

  rig.Start();

  EXPECT_EQ(rig.NotesOn(), (std::vector<int>{60, 60, 62}));
  EXPECT_EQ(rig.midi.Messages().size(), 6u) << "every note on has its note off";
  EXPECT_EQ(testing::FilesBelow(rig.InstrumentFolder()),
            (std::vector<std::string>{"PATCH_XXX/PATCHXXX_C5.WAV", "PATCH_XXX/PATCHXXX_D5.WAV"}));
  EXPECT_EQ(rig.recorder.savedPaths.size(), 2u);
  EXPECT_TRUE(rig.recorder.violations.empty());
  EXPECT_EQ(rig.recorder.Count(RecorderOp::NewRecording), 3);
  EXPECT_EQ(rig.recorder.Count(RecorderOp::Close), 3);
  EXPECT_TRUE(rig.messages.shown.empty());
  const RunResult& result = rig.observer.results.at(0);
  EXPECT_EQ(result.outcome, RunOutcome::Completed);
  EXPECT_EQ(result.takesSaved, 2);
  ASSERT_EQ(rig.observer.takes.size(), 2u);
  EXPECT_EQ(rig.observer.takes[0].note, "C5");

  // The new take starts only once the lost one is closed and a short pause
  // has passed, and is as long as a take is.
  double lostClosed = 0;
  for (const auto& call : rig.recorder.calls) {
    if (call.op == RecorderOp::Close && lostClosed == 0) lostClosed = call.time;
  }
  const auto secondTake = std::find_if(rig.recorder.calls.begin() + 1, rig.recorder.calls.end(),
                                       [](const auto& c) { return c.op == RecorderOp::NewRecording; });
  ASSERT_NE(secondTake, rig.recorder.calls.end());
  EXPECT_GE(secondTake->time - lostClosed, 0.05);
  EXPECT_LE(secondTake->time - lostClosed, 0.5);
}

TEST(Dropouts, FiveLostTakesInARowStopTheRunAsAnyFailure) {
  Rig rig;
  rig.AddRows({60, 62, 64});
  for (const int occurrence : {2, 3, 4, 5, 6}) {
    rig.recorder.DropoutAt(RecorderOp::Stop, "Audio was lost during the take", occurrence);
  }

  rig.Start();

  EXPECT_EQ(rig.NotesOn(), (std::vector<int>{60, 62, 62, 62, 62, 62}));
  EXPECT_EQ(rig.midi.Messages().size(), 12u);
  EXPECT_EQ(testing::FilesBelow(rig.InstrumentFolder()), std::vector<std::string>{"PATCH_XXX/PATCHXXX_C5.WAV"});
  EXPECT_EQ(rig.recorder.Count(RecorderOp::NewRecording), rig.recorder.Count(RecorderOp::Close));
  EXPECT_EQ(rig.recorder.Count(RecorderOp::EndOfRun), 1);
  ASSERT_EQ(rig.messages.shown.size(), 1u);
  const std::string& text = rig.messages.shown[0].text;
  EXPECT_TRUE(Mentions(text, "Sampling stopped at note D5")) << text;
  EXPECT_TRUE(Mentions(text, rig.InstrumentFolder() + Native("/PATCH_XXX/PATCHXXX_D5.WAV"))) << text;
  EXPECT_TRUE(Mentions(text, "Audio was lost during the take")) << text;
  EXPECT_TRUE(Mentions(text, "5 tries")) << text;
  EXPECT_EQ(rig.observer.results.at(0).outcome, RunOutcome::EventFailed);
  EXPECT_EQ(rig.observer.results.at(0).takesSaved, 1);
}

// A take whose file the user protected: as root (who may write any file) the
// file is made immutable, otherwise read-only. It stays as it was, no
// temporary file is left beside it, and the run goes on and says so at its end.
TEST(RunFailures, AProtectedTakeIsKeptAndTheRunGoesOn) {
  Rig rig;
  rig.settings.embedNote = true;
  rig.AddRows({60, 62, 64});
  rig.GeneratePrograms("7");
  const std::filesystem::path folder = std::filesystem::path(rig.InstrumentFolder()) / "PATCH_007";
  const std::filesystem::path locked = folder / "PATCH007_D5.WAV";
  std::filesystem::create_directories(folder);
  std::ofstream(locked) << "precious";
  const bool asRoot = geteuid() == 0;
  if (asRoot && std::system(("chattr +i '" + locked.string() + "' 2>/dev/null").c_str()) != 0) {
    GTEST_SKIP() << "root cannot make a file immutable here, and may write any other";
  }
  if (!asRoot) std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
  struct Unlock {
    std::string path;
    bool asRoot;
    ~Unlock() {
      if (asRoot) [[maybe_unused]] const int ignored = std::system(("chattr -i '" + path + "'").c_str());
    }
  } unlock{locked.string(), asRoot};

  rig.Start();

  const RunResult& result = rig.observer.results.at(0);
  EXPECT_EQ(result.outcome, RunOutcome::Completed);
  EXPECT_EQ(rig.NotesOn(), (std::vector<int>{60, 62, 64}));
  EXPECT_EQ(result.takesSaved, 2);
  EXPECT_EQ(result.takesFailed, 1);
  ASSERT_EQ(result.failedTakes.size(), 1u);
  EXPECT_TRUE(Mentions(result.failedTakes[0], locked.string())) << result.failedTakes[0];
  EXPECT_TRUE(rig.messages.shown.empty()) << "a protected file is no failing device";
  std::ifstream in(locked);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "precious");
  EXPECT_EQ(testing::FilesBelow(rig.InstrumentFolder()),
            (std::vector<std::string>{"PATCH_007/PATCH007_C5.WAV", "PATCH_007/PATCH007_D5.WAV",
                                      "PATCH_007/PATCH007_E5.WAV"}))
      << "no temporary take is left";
}

// The recorder may keep its device open between takes; every run that played
// hands it back exactly once, after its last take.
TEST(RunEnd, TheRecorderIsReleasedOnceAtTheEndOfEveryRun) {
  for (const bool stopEarly : {false, true}) {
    Rig rig;
    rig.AddRows({60, 62, 64});
    rig.clock.SetYieldHook([&] {
      if (stopEarly && rig.NotesOn().size() == 2) rig.controller.Stop();
    });
    rig.Start();
    EXPECT_EQ(rig.recorder.Count(RecorderOp::EndOfRun), 1) << stopEarly;
    EXPECT_EQ(rig.recorder.calls.back().op, RecorderOp::EndOfRun);
    EXPECT_TRUE(rig.recorder.violations.empty());
    EXPECT_EQ(rig.observer.results.at(0).outcome, stopEarly ? RunOutcome::Stopped : RunOutcome::Completed);
    EXPECT_EQ(rig.recorder.Count(RecorderOp::Save), stopEarly ? 2 : 3);
  }
  Rig unplayed;  // nothing played: the recorder was never touched
  unplayed.AddRows({60});
  unplayed.midi.openResult = 3;
  unplayed.Start();
  EXPECT_TRUE(unplayed.recorder.calls.empty());
}

}  // namespace
}  // namespace ntr
