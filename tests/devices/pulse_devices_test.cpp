// SPDX-License-Identifier: GPL-3.0-or-later
// The sound-card recorder on a real PulseAudio server, started by
// scripts/with-pulse-server around this test program, whose default input is
// a 440 Hz sine source at 48000 Hz (mono): through RtAudio's PulseAudio
// system, and through ALSA's "default" device, which PulseAudio's ALSA
// plugin serves.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "devices/mixer/volume_mod.h"
#include "devices/recorders/audio_input_recorder.h"
#include "support/audio_analysis.h"
#include "support/temp_folder.h"

namespace ntr {
namespace {

class Pulse : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (std::getenv("NTR_TEST_PULSE_SERVER") == nullptr) {
      GTEST_SKIP() << "needs a PulseAudio server: run through scripts/with-pulse-server";
    }
  }
};

TEST_P(Pulse, RecordsTheDefaultInputAtItsOwnRateAndConverts) {
  const double toneHz = std::atof(std::getenv("NTR_TEST_PULSE_TONE"));
  AudioInputOptions options;
  options.api = GetParam();
  AudioInputRecorder recorder(options);
  recorder.NewRecording();
  const std::string source = recorder.SourceDescription();
  EXPECT_NE(source.find("48000 Hz"), std::string::npos) << source;
  recorder.Record();
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  recorder.Stop();
  EXPECT_EQ(recorder.Take().sampleRate, 48000);
  EXPECT_GE(recorder.Take().Frames(), 48000u * 8 / 10) << source;

  test::TempFolder folder;
  for (const RecordingFormat format : {RecordingFormat{44100, 16, 2}, RecordingFormat{11025, 8, 1}}) {
    SCOPED_TRACE(format.samplesPerSec);
    recorder.SetFormat(format);
    recorder.Save(folder.File("tone.wav"));
    const test::DecodedWav wav = test::ReadWav(folder.File("tone.wav"));
    ASSERT_EQ(wav.sampleRate, format.samplesPerSec);
    ASSERT_EQ(wav.channels, format.channels);
    const std::vector<float> mono = test::Channel(wav, -1);
    const auto start = static_cast<std::size_t>(wav.sampleRate) / 10;
    const double hz = test::FundamentalNear(mono, wav.sampleRate, toneHz, start,
                                            static_cast<std::size_t>(wav.sampleRate) * 4 / 10);
    EXPECT_NEAR(test::Cents(hz, toneHz), 0.0, 5.0) << hz << " Hz";
    if (format.channels == 2) {
      EXPECT_EQ(test::Channel(wav, 0), test::Channel(wav, 1));  // a mono source, copied
    }
  }
  recorder.Close();
}

INSTANTIATE_TEST_SUITE_P(AudioSystems, Pulse, testing::Values("pulse", "alsa"));

// "Audio Input" lists the server's sources by description; the chosen one,
// not the default, is recorded.
TEST(PulseInput, TheChosenSourceIsRecorded) {
  if (std::getenv("NTR_TEST_PULSE_SERVER") == nullptr) {
    GTEST_SKIP() << "needs a PulseAudio server: run through scripts/with-pulse-server";
  }
  const std::string setting = "pulse:Sine source at 660 Hz";
  AudioInputRecorder recorder;
  const std::vector<AudioInputEntry> inputs = recorder.AudioInputs();
  const auto chosen = std::find_if(inputs.begin(), inputs.end(), [&](const auto& i) { return i.setting == setting; });
  ASSERT_NE(chosen, inputs.end()) << "not listed: " << setting;
  EXPECT_EQ(chosen->label, "PulseAudio: Sine source at 660 Hz");

  recorder.UseAudioInput(setting);
  recorder.NewRecording();
  recorder.Record();
  // A server just started was seen to hold back a first stream's input for up to 1.5 s.
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  recorder.Stop();
  EXPECT_GE(recorder.Take().Frames(), 48000u / 2) << recorder.SourceDescription();
  test::TempFolder folder;
  recorder.SetFormat({48000, 16, 1});
  recorder.Save(folder.File("other.wav"));
  recorder.Close();
  const test::DecodedWav wav = test::ReadWav(folder.File("other.wav"));
  const double hz = test::FundamentalNear(test::Channel(wav, -1), wav.sampleRate, 660.0, 4800, 19200);
  EXPECT_NEAR(test::Cents(hz, 660.0), 0.0, 5.0) << hz << " Hz";

  EXPECT_THROW(recorder.UseAudioInput("pulse:no_such_source"), DeviceError);
}

// On a desktop audio system ALSA's default mixer is PulseAudio's: "Line In"
// drives its "Capture" control, the default source's volume, and the
// microphone slider drives nothing (there is no microphone control).
TEST(PulseMixer, LineInDrivesTheDefaultSourcesVolume) {
  if (std::getenv("NTR_TEST_PULSE_SERVER") == nullptr) {
    GTEST_SKIP() << "needs a PulseAudio server: run through scripts/with-pulse-server";
  }
  const auto sourceVolume = [] {
    std::FILE* pipe = popen("pactl get-source-volume @DEFAULT_SOURCE@ 2>&1", "r");
    std::string text;
    for (int c = std::fgetc(pipe); c != EOF; c = std::fgetc(pipe)) text += static_cast<char>(c);
    pclose(pipe);
    return text;
  };
  VOLUME_MOD mixer;
  ASSERT_TRUE(mixer.OpenMixerDevice()) << mixer.LastError();
  EXPECT_EQ(mixer.ControlName(VOLUME_MOD::kLineSlider), "Capture (capture)");
  EXPECT_FALSE(mixer.ControlFound(VOLUME_MOD::kMicSlider));
  EXPECT_NE(sourceVolume().find(" 0%"), std::string::npos) << "opening turns it down: " << sourceVolume();
  mixer.ApplyKnobLevel(VOLUME_MOD::kLineSlider, 1155, 1155);  // the knob at the top: loudest
  EXPECT_NE(sourceVolume().find(" 100%"), std::string::npos) << sourceVolume();
}

}  // namespace
}  // namespace ntr
