// SPDX-License-Identifier: GPL-3.0-or-later
// Fast runs: an output that renders on a take clock has the run's takes made
// in virtual time, while STOP, SUSPEND, RESUME and "Elapsed" keep the real
// clock; an output that cannot render keeps real time.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/events/midi_messages.h"
#include "engine/run/take_clock.h"
#include "test_support.h"

namespace ntr {
namespace {

// The built-in synthesizer's place: its messages stamped with the take clock's time.
struct RenderingMidi : fakes::FakeMidiOutput {
  explicit RenderingMidi(TakeClock& clock) : FakeMidiOutput(clock), takeClock(clock) {}
  TakeClock* RenderClock() override { return renders ? &takeClock : nullptr; }
  void UseSoundFont(const std::string& path) override { soundFont = path; }
  TakeClock& takeClock;
  bool renders = true;
  std::string soundFont;
};

struct FastRig {
  FastRig() {
    settings.saveFolder = dir / "SAMPLES";
    settings.options.renderFast = true;
    settings.options.soundFont = "/fonts/My Font.sf2";
    for (const char* note : {"60", "62", "64"}) events.AppendRow({"C", "100", "1", "1000", "500", note});
    controller.AddObserver(&observer);
  }
  std::vector<double> NoteOnTimes() const {
    std::vector<double> times;
    for (const auto& sent : midi.sent) {
      if ((midi::StatusByte(sent.message) & 0xF0) == 0x90) times.push_back(sent.time);
    }
    return times;
  }

  testing::TempDir dir;
  fakes::FakeClock realTime{0.01};
  TakeClock takeClock{realTime};
  RenderingMidi midi{takeClock};
  fakes::FakeRecorder recorder{takeClock};
  fakes::FakeMessages messages;
  EventList events;
  PlainRunSettings settings;
  RunController controller{events, settings, midi, recorder, realTime, messages};
  testing::RecordingObserver observer;
};

TEST(FastRun, TakesRunOnVirtualTimeWhileSuspendAndElapsedKeepRealTime) {
  FastRig rig;
  const double start = rig.realTime.Now();
  // SUSPEND during the first event; RESUME after two real seconds.
  rig.realTime.SetYieldHook([&] {
    if (!rig.midi.sent.empty() && rig.controller.State() == RunState::Running) rig.controller.StartOrSuspend();
    if (rig.controller.State() == RunState::Suspended && rig.realTime.Now() > start + 2.0) rig.controller.Resume();
  });
  rig.controller.StartOrSuspend();

  ASSERT_EQ(rig.observer.takes.size(), 3u);
  EXPECT_EQ(rig.midi.soundFont, "/fonts/My Font.sf2");
  EXPECT_EQ(rig.NoteOnTimes(), (std::vector<double>{0.0, 1.5, 3.0}));  // duration + decay apart, from 0
  EXPECT_GT(rig.realTime.Now() - start, 2.0);  // the suspension waited in real time
  EXPECT_LT(rig.realTime.Now() - start, 2.5);  // the notes did not
  EXPECT_TRUE(std::any_of(rig.observer.progress.begin(), rig.observer.progress.end(),
                          [](const RunProgress& p) { return p.elapsed == "2\""; }));
  EXPECT_FALSE(rig.takeClock.IsVirtual());  // back to real time after the run
}

TEST(FastRun, StopEndsAfterTheTakeAndAnOutputThatCannotRenderKeepsRealTime) {
  FastRig rig;
  rig.realTime.SetYieldHook([&] {
    if (!rig.midi.sent.empty()) rig.controller.Stop();
  });
  rig.controller.StartOrSuspend();
  EXPECT_EQ(rig.observer.takes.size(), 1u);
  EXPECT_EQ(rig.observer.results.back().outcome, RunOutcome::Stopped);

  FastRig slow;
  slow.midi.renders = false;
  const double start = slow.realTime.Now();
  slow.controller.StartOrSuspend();
  ASSERT_EQ(slow.observer.takes.size(), 3u);
  EXPECT_GE(slow.realTime.Now() - start, 4.5);
}

}  // namespace
}  // namespace ntr
