// SPDX-License-Identifier: GPL-3.0-or-later
// The pause after a program change as an external instrument meets it, by
// the private JACK server's clock: from each program change to the next note
// on is the setting within 5 ms (the median of four programs: a loaded
// machine delays single cycles, and may even lose a message on the way), and
// never less. The takes go to the engine's fake recorder: only the MIDI
// timing is measured here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "devices/device_layer.h"
#include "engine/run/run_controller.h"
#include "engine/run/steady_clock.h"
#include "fakes/fake_messages.h"
#include "fakes/fake_recorder.h"
#include "support/jack_midi_sink.h"
#include "support/temp_folder.h"

namespace ntr {
namespace {

TEST(JackPause, TheFirstNoteOfEachProgramWaitsForTheSetting) {
  if (std::getenv("NTR_TEST_JACK_SERVER") == nullptr) GTEST_SKIP() << "needs scripts/with-jack-server";
  test::JackMidiSink sink("ntr-test-synth");
  ASSERT_TRUE(sink.Ok());
  SteadyClock clock;
  DeviceLayer devices(clock);
  const std::vector<std::string> captions = devices.Midi().ListMidiDevices();
  const auto entry = std::find(captions.begin(), captions.end(), sink.PortName() + " (JACK)");
  ASSERT_NE(entry, captions.end());
  devices.Midi().SelectMidiDevice(static_cast<int>(entry - captions.begin()));

  test::TempFolder folder;
  PlainRunSettings settings;
  settings.saveFolder = folder.File("samples");
  settings.programList = "7-10";
  settings.options.pauseAfterProgramChangeMs = 300;
  EventList events;
  fakes::FakeRecorder recorder(clock);
  fakes::FakeMessages messages;
  RunController run(events, settings, devices.Midi(), recorder, clock, messages);
  EventSelection selection;
  selection.notes[0] = selection.notes[2] = selection.octaves[5] = true;  // C5, D5
  selection.duration = "100";
  selection.decay = "50";
  selection.programList = settings.programList;
  run.GenerateEvents(selection, true);
  run.StartOrSuspend();
  ASSERT_EQ(run.LastResult()->outcome, RunOutcome::Completed) << run.LastResult()->message;

  const auto received = sink.WaitForMessages(20, 5.0);
  const std::vector<double> times = sink.ArrivalTimes();
  std::vector<double> pauses;
  for (std::size_t i = 0; i + 1 < received.size(); ++i) {
    if ((received[i][0] & 0xF0) != 0xC0 || (received[i + 1][0] & 0xF0) != 0x90) continue;
    pauses.push_back(times[i + 1] - times[i]);
    EXPECT_GE(pauses.back(), 0.295) << "program " << int(received[i][1]);
  }
  ASSERT_GE(pauses.size(), 3u);
  std::sort(pauses.begin(), pauses.end());
  EXPECT_NEAR(pauses[pauses.size() / 2], 0.300, 0.005);
}

}  // namespace
}  // namespace ntr
