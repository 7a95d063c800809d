// The pause after a program change, as an external instrument meets it: the
// time from each program change to the next note on, taken from the private
// JACK server's frame clock, is the setting within 5 ms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "devices/device_layer.h"
#include "engine/steady_clock.h"
#include "support/engine_run.h"
#include "support/jack_midi_sink.h"
#include "support/temp_folder.h"

namespace ntr {
namespace {

TEST(JackPause, TheFirstNoteOfEachProgramWaitsForTheSetting) {
  if (std::getenv("NTR_TEST_JACK_SERVER") == nullptr) GTEST_SKIP() << "needs scripts/with-jack-server";
  test::JackMidiSink sink("ntr-test-synth");
  ASSERT_TRUE(sink.Ok());
  SteadyClock clock;
  test::TempFolder folder;
  PlainRunSettings settings;
  settings.saveFolder = folder.File("samples");
  settings.programList = "7,8";
  settings.format = {11025, 8, 1};
  settings.options.pauseAfterProgramChangeMs = 300;

  DeviceLayer devices(clock);
  const std::vector<std::string> captions = devices.Midi().ListMidiDevices();
  const auto entry = std::find(captions.begin(), captions.end(), sink.PortName() + " (JACK)");
  ASSERT_NE(entry, captions.end());
  devices.Midi().SelectMidiDevice(static_cast<int>(entry - captions.begin()));
  // The takes record the server's silent capture ports; only the MIDI timing matters here.
  test::RunEngine(devices, clock, settings, {60, 62}, "100", "50");

  const auto messages = sink.WaitForMessages(10, 5.0);
  const std::vector<double> times = sink.ArrivalTimes();
  int pauses = 0;
  for (std::size_t i = 0; i + 1 < messages.size(); ++i) {
    if ((messages[i][0] & 0xF0) != 0xC0) continue;
    ASSERT_EQ(messages[i + 1][0] & 0xF0, 0x90);
    EXPECT_NEAR(times[i + 1] - times[i], 0.300, 0.005) << "program " << int(messages[i][1]);
    ++pauses;
  }
  EXPECT_EQ(pauses, 2);
}

}  // namespace
}  // namespace ntr
