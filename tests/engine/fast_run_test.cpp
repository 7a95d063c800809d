// Fast runs: an output that renders on a take clock makes the run's takes in
// virtual time (no real waiting), while STOP, SUSPEND and RESUME and the
// elapsed time stay on the real clock; any other output keeps real time.
#include <gtest/gtest.h>

#include "engine/take_clock.h"
#include "engine/midi_messages.h"
#include "engine/note_names.h"
#include "test_support.h"

namespace ntr {
namespace {

using testing::RecordingObserver;
using testing::TempDir;

// The built-in synthesizer's place: messages stamped with the take clock's time.
class RenderingMidi : public fakes::FakeMidiOutput {
 public:
  explicit RenderingMidi(TakeClock& clock) : FakeMidiOutput(clock), clock_(clock) {}
  TakeClock* RenderClock() override { return renders ? &clock_ : nullptr; }
  std::string soundFont = "(none given)";
  void UseSoundFont(const std::string& path) override { soundFont = path; }
  bool renders = true;

 private:
  TakeClock& clock_;
};

struct FastRig {
  FastRig() {
    settings.saveFolder = dir / "SAMPLES";
    settings.instrumentName = "Synth";
    settings.options.renderFast = true;
    settings.options.soundFont = "/fonts/My Font.sf2";
    for (const int note : {60, 62, 64}) {
      events.AppendRow({NoteName(note), "100", "1", "1000", "500", std::to_string(note)});
    }
    controller.AddObserver(&observer);
  }
  ~FastRig() { controller.RemoveObserver(&observer); }

  std::vector<double> NoteOnTimes() const {
    std::vector<double> times;
    for (const auto& sent : midi.sent) {
      if ((midi::StatusByte(sent.message) & 0xF0) == 0x90) times.push_back(sent.time);
    }
    return times;
  }

  TempDir dir;
  fakes::FakeClock realTime{0.01};
  TakeClock takeClock{realTime};
  RenderingMidi midi{takeClock};
  fakes::FakeRecorder recorder{takeClock};
  fakes::FakeMessages messages;
  EventList events;
  PlainRunSettings settings;
  RunController controller{events, settings, midi, recorder, realTime, messages};
  RecordingObserver observer;
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
  // Each take exactly duration + decay after the last, from virtual 0.
  EXPECT_EQ(rig.NoteOnTimes(), (std::vector<double>{0.0, 1.5, 3.0}));
  const double real = rig.realTime.Now() - start;
  EXPECT_GT(real, 2.0);  // the suspension waited in real time
  EXPECT_LT(real, 2.5);  // the notes did not
  bool showedTwoSeconds = false;
  for (const RunProgress& p : rig.observer.progress) showedTwoSeconds |= p.elapsed == "2\"";
  EXPECT_TRUE(showedTwoSeconds);
  EXPECT_FALSE(rig.takeClock.IsVirtual());  // back to real time after the run
}

TEST(FastRun, StopEndsAfterTheTakeAndAnOutputThatCannotRenderStaysInRealTime) {
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
  EXPECT_GE(slow.NoteOnTimes().front(), start);
}

}  // namespace
}  // namespace ntr
