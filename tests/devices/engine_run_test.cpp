// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's whole sampling run on the built-in instrument, wired as the
// program wires it, on a clock whose waits jump (sampling faster than real time).
#include <gtest/gtest.h>

#include <sndfile.h>

#include "devices/device_layer.h"
#include "support/audio_analysis.h"
#include "support/engine_run.h"
#include "support/manual_clock.h"
#include "support/real_clock.h"
#include "support/temp_folder.h"

namespace ntr {
namespace {

// The unity note libsndfile finds in the file's sampler chunk (-1 if none).
int UnityNote(const std::string& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return -1;
  SF_INSTRUMENT instrument{};
  const bool found = sf_command(file, SFC_GET_INSTRUMENT, &instrument, sizeof instrument) == SF_TRUE;
  sf_close(file);
  return found ? instrument.basenote : -1;
}

TEST(EngineRun, BuiltInInstrumentSamplesEveryProgramAndNote) {
  test::TempFolder folder;
  test::ManualClock clock;
  DeviceLayer devices(clock);
  devices.Midi().ListMidiDevices();
  devices.Midi().SelectMidiDevice(0);

  PlainRunSettings settings;
  settings.saveFolder = folder.File("samples");
  settings.instrumentName = "Built In";
  settings.programList = "0,19";
  settings.velocity = "110";
  settings.embedNote = true;
  settings.format = {22050, 16, 1};
  const test::EngineRun run = test::RunEngine(devices, clock, settings, {60, 69}, "600", "200");

  ASSERT_EQ(run.result.outcome, RunOutcome::Completed) << run.result.message;
  EXPECT_TRUE(run.messages.empty()) << run.messages.front();
  EXPECT_EQ(run.result.takesSaved, 4);
  const std::string base = folder.File("samples") + "/Built_In/";
  const std::vector<std::string> expected{base + "PATCH_000/PATCH000_A5.WAV", base + "PATCH_000/PATCH000_C5.WAV",
                                          base + "PATCH_019/PATCH019_A5.WAV", base + "PATCH_019/PATCH019_C5.WAV"};
  ASSERT_EQ(run.files, expected);
  for (const std::string& file : run.files) {
    SCOPED_TRACE(file);
    const int note = file.find("_C5") != std::string::npos ? 60 : 69;
    const test::DecodedWav wav = test::ReadWav(file);
    EXPECT_EQ(wav.sampleRate, 22050);
    EXPECT_EQ(wav.channels, 1);
    EXPECT_GE(wav.Frames(), static_cast<long>(0.8 * 22050));
    EXPECT_EQ(UnityNote(file), note);
    const long onset = test::FirstAbove(wav.samples, 0.01f);
    ASSERT_GE(onset, 0);
    const double hz = test::FundamentalNear(wav.samples, 22050, test::NoteHz(note),
                                            static_cast<std::size_t>(onset) + 2205, 22050 * 4 / 10);
    EXPECT_NEAR(test::Cents(hz, test::NoteHz(note)), 0.0, 25.0) << hz << " Hz";
  }
  EXPECT_NE(test::ReadWav(run.files[1]).samples, test::ReadWav(run.files[3]).samples)
      << "program 19 sounds like program 0";
}

// Faster than real time on the real clock: each take holds exactly duration +
// decay (1.544 s is no whole number of frames, nor of the synthesizer's
// blocks), and a note sounds as early in its take after three such takes as
// in the first take of a run.
TEST(EngineRun, FastTakesLastExactlyAndStartWhereTheFirstTakeStarts) {
  test::TempFolder folder;
  test::RealClock clock;
  DeviceLayer devices(clock);
  devices.Midi().SelectMidiDevice(0);
  PlainRunSettings settings;
  settings.instrumentName = "Fast";
  settings.format = {44100, 16, 1};
  settings.options.renderFast = true;
  settings.saveFolder = folder.File("four");
  const test::EngineRun four = test::RunEngine(devices, clock, settings, {60, 62, 64, 65}, "1333", "211");
  settings.saveFolder = folder.File("one");
  const test::EngineRun one = test::RunEngine(devices, clock, settings, {65}, "1333", "211");

  ASSERT_EQ(four.files.size(), 4u) << four.result.message;
  ASSERT_EQ(one.files.size(), 1u) << one.result.message;
  for (const std::string& file : four.files) EXPECT_EQ(test::ReadWav(file).Frames(), 68090) << file;  // rounded
  auto onset = [](const std::string& file) {
    const test::DecodedWav wav = test::ReadWav(file);
    return test::FirstAbove(wav.samples, 0.1f * test::Peak(wav.samples));
  };
  EXPECT_NEAR(onset(four.files[3]), onset(one.files[0]), 2);  // F5, the fourth take and a first
}

TEST(EngineRun, MissingSoundFontEndsTheRunBeforeAnythingIsPlayed) {
  unsetenv("NTR_SOUNDFONT");
  test::TempFolder folder;
  test::ManualClock clock;
  SynthOptions options;
  options.soundFontCandidates = {folder.File("nowhere.sf2")};
  DeviceLayer devices(clock, options);
  devices.Midi().SelectMidiDevice(0);
  PlainRunSettings settings;
  settings.saveFolder = folder.File("samples");
  settings.instrumentName = "x";
  const test::EngineRun run = test::RunEngine(devices, clock, settings, {60}, "100", "100");
  EXPECT_EQ(run.result.outcome, RunOutcome::MidiOpenFailed);
  EXPECT_TRUE(run.files.empty());
  ASSERT_EQ(run.messages.size(), 1u);
  EXPECT_NE(run.messages[0].find("Couldn't open midi out, MIDI_RetCode = 1001"), std::string::npos)
      << run.messages[0];
}

}  // namespace
}  // namespace ntr
