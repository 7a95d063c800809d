// SPDX-License-Identifier: GPL-3.0-or-later
// Capture of one event: the order of the recorder and MIDI operations, their
// timing, the saved file, and the temporary take beside the target.

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <map>

#include "engine/takes/event_capture.h"
#include "engine/events/midi_messages.h"
#include "engine/takes/sample_paths.h"
#include "test_support.h"

namespace ntr {
namespace {

using fakes::RecorderOp;
using testing::Native;

struct CaptureRig {
  CaptureRig() {
    midi.OpenMidiOutput();
    midi.SetChannelAndVelocity(2, 90);
    std::filesystem::create_directories(std::filesystem::path(instrument) / "PATCH_005");
  }
  CaptureRequest Request(const std::string& note, const std::string& number, const std::string& time,
                         const std::string& decay) {
    return {EventRow{note, "1", "1", time, decay, number}, instrument, "005", {11025, 8, 2}, false, std::nullopt};
  }

  testing::TempDir dir;
  std::string instrument = (dir.Path() / "Organ").string();
  fakes::FakeClock clock{0.01};
  fakes::FakeMidiOutput midi{clock};
  fakes::FakeRecorder recorder{clock};
  EventCapture capture{midi, recorder, clock};
};

TEST(CaptureEvent, RecordsAroundTheNoteForItsDurationAndDecay) {
  CaptureRig rig;
  const double start = rig.clock.Now();
  const CapturedTake take = rig.capture.CaptureEvent(rig.Request("C#4", "49", "1000", "200"));

  EXPECT_EQ(take.targetFile, Native(rig.instrument + "/PATCH_005/PATCH005_C#4.WAV"));
  EXPECT_FALSE(take.tagged);
  std::vector<RecorderOp> ops;
  for (const auto& call : rig.recorder.calls) ops.push_back(call.op);
  EXPECT_EQ(ops, (std::vector<RecorderOp>{RecorderOp::NewRecording, RecorderOp::SetFormat, RecorderOp::Record,
                                          RecorderOp::Stop, RecorderOp::Save, RecorderOp::Close}));
  EXPECT_TRUE(rig.recorder.violations.empty());
  ASSERT_EQ(rig.recorder.formatsSet.size(), 1u);
  EXPECT_EQ(rig.recorder.formatsSet[0].samplesPerSec, 11025);

  // Note on after the recording started, off after the duration, stop after the decay.
  ASSERT_EQ(rig.midi.sent.size(), 2u);
  EXPECT_EQ(rig.midi.sent[0].message, midi::NoteOn(2, 49, 90));
  EXPECT_EQ(rig.midi.sent[1].message, midi::NoteOff(2, 49));
  EXPECT_DOUBLE_EQ(rig.midi.sent[0].time, start);
  EXPECT_NEAR(rig.midi.sent[1].time - rig.midi.sent[0].time, 1.0, 1e-9);
  EXPECT_NEAR(rig.recorder.calls[3].time - rig.midi.sent[1].time, 0.2, 1e-9);

  // A real PCM WAV of the format asked, 1.2 s long, and nothing else in the folder.
  const std::string bytes = testing::ReadBytes(take.targetFile);
  ASSERT_GE(bytes.size(), 44u);
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(testing::LittleEndian32(bytes, 24), 11025u);
  EXPECT_EQ(testing::LittleEndian32(bytes, 40), 13230u * 2);  // frames x 2 channels x 1 byte
  EXPECT_EQ(testing::FilesBelow(rig.instrument), std::vector<std::string>{"PATCH_005/PATCH005_C#4.WAV"});
}

TEST(CaptureEvent, ADurationOfZeroSendsOnAndOffBackToBack) {
  CaptureRig rig;
  int yieldsBetween = -1;
  rig.midi.onSend = [&](std::uint32_t message) {
    if (midi::StatusByte(message) >= 0x90) yieldsBetween = rig.clock.YieldCount();
    else yieldsBetween = rig.clock.YieldCount() - yieldsBetween;
  };
  rig.capture.CaptureEvent(rig.Request("C4", "48", "0", "100"));
  ASSERT_EQ(rig.midi.sent.size(), 2u);
  EXPECT_EQ(rig.midi.sent[0].time, rig.midi.sent[1].time);
  EXPECT_EQ(yieldsBetween, 0);
}

TEST(CaptureEvent, TheTargetAppearsOnlyCompleteAndReplacesAnOlderTakeWhole) {
  CaptureRig rig;
  const std::string target = Native(rig.instrument + "/PATCH_005/PATCH005_C4.WAV");
  testing::WriteBytes(target, "older take");
  rig.recorder.onSave = [&](const std::string& path) {
    EXPECT_NE(path, target);
    EXPECT_EQ(std::filesystem::path(path).parent_path(), std::filesystem::path(target).parent_path());
    EXPECT_EQ(testing::ReadBytes(target), "older take");  // untouched while the take is written
  };
  rig.capture.CaptureEvent(rig.Request("C4", "48", "100", "100"));
  EXPECT_EQ(testing::ReadBytes(target).substr(0, 4), "RIFF");
  EXPECT_EQ(testing::FilesBelow(rig.instrument), std::vector<std::string>{"PATCH_005/PATCH005_C4.WAV"});

  // A save that fails half-way leaves the older take as it was, and no debris.
  testing::WriteBytes(target, "older take");
  rig.recorder.onSave = nullptr;
  rig.recorder.FailAt(RecorderOp::Save, "disk full", 2);
  EXPECT_THROW(rig.capture.CaptureEvent(rig.Request("C4", "48", "100", "100")), CaptureError);
  EXPECT_EQ(testing::ReadBytes(target), "older take");
  EXPECT_EQ(testing::FilesBelow(rig.instrument), std::vector<std::string>{"PATCH_005/PATCH005_C4.WAV"});
  EXPECT_EQ(rig.recorder.Count(RecorderOp::Close), 2);
}

TEST(CaptureEvent, ARowThatCannotBePlayedFailsBeforeAnythingStarts) {
  CaptureRig rig;
  for (const auto& [number, time] : {std::pair{"x", "100"}, std::pair{"128", "100"}, std::pair{"60", "-5"}}) {
    try {
      rig.capture.CaptureEvent(rig.Request("C5", number, time, "100"));
      FAIL() << "expected a CaptureError";
    } catch (const CaptureError& error) {
      EXPECT_EQ(error.Stage(), CaptureStage::Row);
      EXPECT_FALSE(error.TakeSaved());
    }
  }
  EXPECT_TRUE(rig.midi.sent.empty());
  EXPECT_TRUE(rig.recorder.calls.empty());
}


// Opens of a folder's files that read from or wrote to them, counted by the
// file system (inotify), whoever made them.
class FileAccessCount {
 public:
  explicit FileAccessCount(const std::string& folder)
      : fd_(inotify_init1(IN_NONBLOCK)),
        watch_(inotify_add_watch(fd_, folder.c_str(), IN_ACCESS | IN_MODIFY | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) {}
  ~FileAccessCount() { close(fd_); }
  bool Watching() const { return fd_ >= 0 && watch_ >= 0; }

  // Reads and writes since the last call.
  std::pair<int, int> ReadsAndWrites() {
    int reads = 0, writes = 0;
    alignas(inotify_event) std::array<char, 65536> buffer{};
    for (ssize_t got; (got = read(fd_, buffer.data(), buffer.size())) > 0;) {
      for (char* at = buffer.data(); at < buffer.data() + got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(at);
        const std::string name = event->len > 0 ? event->name : "";
        unsigned& seen = seen_[name];
        seen |= event->mask;
        if ((event->mask & IN_CLOSE_NOWRITE) && (seen & IN_ACCESS)) ++reads;
        if ((event->mask & IN_CLOSE_WRITE) && (seen & IN_MODIFY)) ++writes;
        if (event->mask & (IN_CLOSE_NOWRITE | IN_CLOSE_WRITE)) seen = 0;
        at += sizeof(inotify_event) + event->len;
      }
    }
    return {reads, writes};
  }

 private:
  int fd_;
  int watch_;
  std::map<std::string, unsigned> seen_;
};

// A take is written once by the recorder, then read once and written once by
// its finishing, however many steps it takes (trimmed, measured, tagged).
TEST(CaptureEvent, FinishingReadsTheTakeOnceAndWritesItOnce) {
  CaptureRig rig;
  FileAccessCount count(rig.instrument + "/PATCH_005");
  ASSERT_TRUE(count.Watching());
  CaptureRequest request = rig.Request("C5", "60", "300", "100");
  request.embedNote = true;
  request.trim = TrimSettings{};
  request.noiseFloorDbfs = -90.0;
  const CapturedTake take = rig.capture.CaptureEvent(request);
  EXPECT_TRUE(take.tagged);
  EXPECT_TRUE(take.levels.has_value());
  EXPECT_TRUE(take.warnings.empty());
  EXPECT_EQ(count.ReadsAndWrites(), std::make_pair(1, 2)) << "reads, writes: the raw take's and the finished one's";
}

}  // namespace
}  // namespace ntr
