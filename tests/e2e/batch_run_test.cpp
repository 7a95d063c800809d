// SPDX-License-Identifier: GPL-3.0-or-later
// The unattended mode through the real program: `NTR --batch` with a
// temporary settings file, sampling the built-in instrument, checked on disk;
// Ctrl-C and SIGTERM in the middle of a run; the failures a user meets.
#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <csignal>
#include <fstream>
#include <regex>
#include <set>
#include <thread>
#include <utility>

#include "engine/events/note_names.h"
#include "engine/takes/take_pitch.h"
#include "instrument/sf2_file.h"
#include "quendal/pcm_wav.h"
#include "support/audio_analysis.h"
#include "support/child_process.h"
#include "support/take_checks.h"
#include "support/temp_folder.h"

namespace ntr::e2e {
namespace {

const std::string kProgram = NTR_PROGRAM;

// C, E and A in octaves 4 and 5 (notes 48 to 69).
const std::vector<int> kNotes{48, 52, 57, 60, 64, 69};
const std::vector<std::string> kNoteNames{"C4", "E4", "A4", "C5", "E5", "A5"};
const char* const kNotesCEA = "010000000100000000010000";
const char* const kOctaves45 = "0000000001010000000000";

// A settings file as the window's "Save Settings" writes it.
std::string SettingsText(const std::string& folder, const std::string& programs, const std::string& duration,
                         const std::string& decay, const std::string& rate, const std::string& bits,
                         const std::string& channels, const std::string& notes = kNotesCEA) {
  return "[Parameters]\nNotes=" + notes + "\nOctaves=" + kOctaves45 + "\nChannel=1\nPrograms=" + programs +
         "\nVelocity=100\nDuration=" + duration + "\nDecay=" + decay + "\nRate=" + rate + "\nBits=" + bits +
         "\nChannels=" + channels + "\nEmbedded=-1\nGear=Grand Piano\nFolder=" + folder +
         "\nLineVolume=5068\nMicVolume=5068\nOutVolume=5068\nMidiDev=0\n";
}

class Batch : public testing::Test {
 protected:
  std::string WriteSettings(const std::string& text) {
    const std::string path = temp_.File("settings.ini");
    std::ofstream(path) << text;
    return path;
  }
  std::string Folder() const { return temp_.File("samples"); }
  std::string Logs() const { return temp_.File(""); }

  test::TempFolder temp_;
};

std::size_t CountLines(const std::string& text, const std::string& start) {
  std::size_t count = 0;
  for (std::size_t at = 0; (at = text.find("\n" + start, at)) != std::string::npos; ++at) ++count;
  return count + (text.rfind(start, 0) == 0 ? 1 : 0);
}

TEST_F(Batch, SamplesTheBuiltInInstrumentIntoTaggedTakes) {
  const std::string settings = WriteSettings(SettingsText(Folder(), "0,19", "400", "200", "44 kHz", "16", "Stereo"));
  const Finished run = RunToEnd(kProgram, {"--batch", "--settings", settings, "--fast"}, Logs(), 90);
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("Rendering faster than real time"), std::string::npos) << run.out;

  EXPECT_EQ(FilesUnder(Folder()), ExpectedTakes("Grand_Piano", {"000", "019"}, kNoteNames));
  for (const std::string tag : {"000", "019"}) {
    for (std::size_t i = 0; i < kNotes.size(); ++i) {
      const std::string file = Folder() + "/Grand_Piano/PATCH_" + tag + "/PATCH" + tag + "_" + kNoteNames[i] + ".WAV";
      TakeExpectation expected{kNotes[i], 44100, 16, 2, true, 0.4, 0.2};
      // Rendered: exactly duration + decay, to the frame.
      expected.longestOverheadSeconds = expected.shortestShortfallSeconds = 0.5 / 44100;
      ExpectGoodTake(file, expected);
    }
  }
  // Not a terminal: one plain line per take and a closing line.
  EXPECT_EQ(CountLines(run.out, "["), 12u) << run.out;
  EXPECT_NE(run.out.find("[12/12] PATCH_019 A5 saved: "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Done: 12 takes saved under " + Folder() + "/Grand_Piano"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find('\r'), std::string::npos);
  // A level check before each program, every take measured, all in the report.
  EXPECT_EQ(CountLines(run.out, "Level check (program "), 2u) << run.out;
  EXPECT_NE(run.out.find("Summary: 12 takes saved (0 marked clipped, 0 silent), 0 failed."), std::string::npos)
      << run.out;
  const RunReportFigures report = ReadRunReport(Folder() + "/Grand_Piano/ntr-run.json");
  EXPECT_TRUE(report.valid);
  EXPECT_EQ(report.outcome, "completed");
  EXPECT_EQ(report.levelChecks, 2);
  EXPECT_EQ(report.statuses, std::vector<std::string>(12, "saved"));
}

// The new formats from the built-in instrument, rendered at their own rate:
// 48 kHz 24-bit takes trimmed to their sound (the onset at the 5 ms pre-roll,
// a faded end), and 96 kHz float takes as long as asked.
TEST_F(Batch, RendersHighRatesInTwentyFourBitsAndFloatAndTrimsTakes) {
  const std::vector<std::string> octave4{"--set", "Octaves=0000000001000000000000"};  // C4, E4, A4
  struct Case {
    std::string rate, bits;
    int sampleRate, bitsPerSample;
    bool trim;
  };
  for (const Case& c : {Case{"48 kHz", "24", 48000, 24, true}, Case{"96 kHz", "32 float", 96000, 32, false}}) {
    SCOPED_TRACE(c.rate + ", " + c.bits);
    const std::string folder = temp_.File(c.trim ? "trimmed" : "float");
    const std::string settings = WriteSettings(SettingsText(folder, "", "400", "300", c.rate, c.bits, "Stereo"));
    std::vector<std::string> arguments{"--batch", "--settings", settings, "--set", "RenderFast=1",
                                       "--set", "Trim=" + std::string(c.trim ? "1" : "0")};
    arguments.insert(arguments.end(), octave4.begin(), octave4.end());
    const Finished run = RunToEnd(kProgram, arguments, Logs(), 60);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(FilesUnder(folder), ExpectedTakes("Grand_Piano", {"XXX"}, {"C4", "E4", "A4"}));
    for (std::size_t i = 0; i < 3; ++i) {
      const std::string file = folder + "/Grand_Piano/PATCH_XXX/PATCHXXX_" + kNoteNames[i] + ".WAV";
      TakeExpectation expected{kNotes[i], c.sampleRate, c.bitsPerSample, 2, true, 0.4, 0.3};
      // A trimmed take loses the silence after its sound; its onset is moved to the pre-roll.
      expected.longestOverheadSeconds = c.trim ? 0.005 : 0.5 / c.sampleRate;
      expected.shortestShortfallSeconds = c.trim ? 0.3 : 0.5 / c.sampleRate;
      ExpectGoodTake(file, expected);
      if (!c.trim) continue;

      const test::TrimFigures trim = test::TrimFiguresOf(ReadTake(file).samples, 2, c.sampleRate, 0.010);
      EXPECT_NEAR(trim.onsetSeconds, 0.005, 0.001) << file;
      EXPECT_LE(trim.fadeTailRatio, 0.15f) << file;
      EXPECT_EQ(trim.lastSample, 0.0f) << file;
    }
  }
}

// Every key of a patch whose sound ends below the top key: the keys above its
// range hold at most the tail of the last key that sounded, which is no sound
// of their own. They are marked silent and the run goes on to the end.
TEST_F(Batch, AFullRangeRunMarksTheKeysAPatchDoesNotSoundAndGoesOn) {
  const std::string settings = WriteSettings(SettingsText(Folder(), "0", "1000", "500", "22 kHz", "16", "Mono",
                                                          "111111111111"));
  const Finished run = RunToEnd(
      kProgram, {"--batch", "--settings", settings, "--fast", "--set", "Octaves=0101010101010101010101"}, Logs(), 240);
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  const RunReportFigures report = ReadRunReport(Folder() + "/Grand_Piano/ntr-run.json");
  ASSERT_EQ(report.statuses.size(), 128u) << run.out;
  EXPECT_EQ(report.statuses[60], "saved");
  EXPECT_EQ(report.statuses[127], "silent") << "G10 is above the piano's range";
  const auto silent = std::count(report.statuses.begin(), report.statuses.end(), "silent");
  EXPECT_GT(silent, 0);
  EXPECT_NE(run.out.find("Summary: 128 takes saved (0 marked clipped, " + std::to_string(silent) + " silent)"),
            std::string::npos)
      << run.out;
}

// The test note's tail is let fall back before the first take: the first
// take starts as it does without test notes.
TEST_F(Batch, TheFirstTakeDoesNotStartInTheTestNotesTail) {
  const std::string settings = WriteSettings(SettingsText(Folder(), "48", "400", "500", "44 kHz", "16", "Mono"));
  std::vector<float> heads[2];
  for (const bool testNotes : {true, false}) {
    const std::string folder = temp_.File(testNotes ? "checked" : "unchecked");
    const Finished run = RunToEnd(kProgram,
                                  {"--batch", "--settings", settings, "--fast", "--set", "Folder=" + folder, "--set",
                                   "Checks/TestNotes=" + std::string(testNotes ? "1" : "0")},
                                  Logs(), 60);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    heads[testNotes] = ReadTake(folder + "/Grand_Piano/PATCH_048/PATCH048_C4.WAV").Mono();
  }
  const auto headDb = [](const std::vector<float>& take) {
    const std::size_t frames = std::min<std::size_t>(take.size(), 44100 * 15 / 1000);
    double energy = 0.0;
    for (std::size_t i = 0; i < frames; ++i) energy += double{take[i]} * take[i];
    return 10.0 * std::log10(energy / static_cast<double>(frames) + 1e-20);
  };
  EXPECT_NEAR(headDb(heads[true]), headDb(heads[false]), 3.0);
}

// A velocity of 0 is a note off: the instrument stays silent, and the run
// says so before any take instead of saving silence all night.
TEST_F(Batch, ASilentInstrumentStopsTheRunBeforeAnyTake) {
  const std::string settings = WriteSettings(SettingsText(Folder(), "", "300", "100", "22 kHz", "16", "Mono"));
  const Finished run = RunToEnd(kProgram, {"--batch", "--settings", settings, "--set", "Velocity=0"}, Logs(), 60);
  EXPECT_EQ(run.status, 3) << run.out << run.err;
  EXPECT_NE(run.err.find("The instrument is silent"), std::string::npos) << run.err;
  EXPECT_EQ(FilesUnder(Folder()), std::set<std::string>{"Grand_Piano/ntr-run.json"});
  const RunReportFigures report = ReadRunReport(Folder() + "/Grand_Piano/ntr-run.json");
  EXPECT_EQ(report.outcome, "instrument silent");
  EXPECT_TRUE(report.statuses.empty());
}

// Velocity layers and round robins through --set: every note once per layer
// and round, each in a file named after both, louder for the louder layer.
TEST_F(Batch, LayersAndRoundsMakeATakeOfEveryNoteAtEveryVelocity) {
  const std::string settings = WriteSettings(SettingsText(Folder(), "", "300", "100", "22 kHz", "16", "Mono"));
  const Finished run = RunToEnd(kProgram,
                                {"--batch", "--settings", settings, "--fast", "--set", "Octaves=0000000001000000000000",
                                 "--set", "VelocityLayers=64,127", "--set", "Instrument/RoundRobins=2"},
                                Logs(), 60);
  ASSERT_EQ(run.status, 0) << run.out << run.err;

  std::set<std::string> expected{"Grand_Piano/ntr-run.json"};
  const std::vector<std::string> takes{"C4", "E4", "A4"};
  for (const std::string& note : takes) {
    for (const std::string layer : {"_V064", "_V127"}) {
      for (const std::string round : {"_R1", "_R2"}) {
        expected.insert("Grand_Piano/PATCH_XXX/PATCHXXX_" + note + layer + round + ".WAV");
      }
    }
  }
  EXPECT_EQ(FilesUnder(Folder()), expected);
  EXPECT_NE(run.out.find("[12/12] "), std::string::npos) << run.out;
  for (std::size_t i = 0; i < takes.size(); ++i) {
    const std::string stem = Folder() + "/Grand_Piano/PATCH_XXX/PATCHXXX_" + takes[i];
    TakeExpectation expected{kNotes[i], 22050, 16, 1, true, 0.3, 0.1};
    expected.longestOverheadSeconds = expected.shortestShortfallSeconds = 0.5 / 22050;
    const TakeFigures soft = ExpectGoodTake(stem + "_V064_R2.WAV", expected);
    const TakeFigures loud = ExpectGoodTake(stem + "_V127_R1.WAV", expected);
    EXPECT_GT(loud.peak, soft.peak * 1.5f) << takes[i];
  }
  const RunReportFigures report = ReadRunReport(Folder() + "/Grand_Piano/ntr-run.json");
  EXPECT_EQ(report.velocities, (std::vector<std::string>{"64", "64", "127", "127", "64", "64", "127", "127", "64",
                                                          "64", "127", "127"}));
  EXPECT_EQ(report.rounds, (std::vector<int>{1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2}));
}

// A fast run is exact: the same run twice gives the same bytes, and each take
// sounds as the real-time take of the same note (onset, level and waveform).
TEST_F(Batch, FastRunsRepeatExactlyAndSoundAsInRealTime) {
  const std::string settings = WriteSettings(SettingsText(Folder(), "", "400", "200", "44 kHz", "16", "Mono"));
  const std::vector<std::string> octave4{"--set", "Octaves=0000000001000000000000"};  // C4, E4, A4
  const std::string first = temp_.File("first"), second = temp_.File("second"), slow = temp_.File("slow");
  for (const auto& [folder, fast] : {std::pair{first, true}, std::pair{second, true}, std::pair{slow, false}}) {
    std::vector<std::string> arguments{"--batch", "--settings", settings, "--set", "Folder=" + folder};
    arguments.insert(arguments.end(), octave4.begin(), octave4.end());
    if (fast) arguments.push_back("--fast");
    const Finished run = RunToEnd(kProgram, arguments, Logs(), 60);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
  }
  // The takes (the reports differ: they carry the time of their run).
  const auto takes = [](const std::string& folder) {
    std::set<std::string> files = FilesUnder(folder);
    files.erase("Grand_Piano/ntr-run.json");
    return files;
  };
  const std::set<std::string> files = takes(first);
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(takes(second), files);
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const Take fast = ReadTake(first + "/" + file);
    EXPECT_EQ(fast.samples.size(), 26460u);  // 0.6 s at 44100 Hz
    EXPECT_TRUE(fast.samples == ReadTake(second + "/" + file).samples) << "two fast runs differ";
    const test::Likeness likeness = test::CompareTakes(ReadTake(slow + "/" + file).samples, fast.samples, 44100, 88);
    EXPECT_LE(std::abs(likeness.onsetSeconds), 0.001);
    EXPECT_LE(std::abs(likeness.levelDb), 0.5);
    EXPECT_GE(likeness.correlation, 0.99);
  }
}

// The file of the event that was playing when the signal came is whole, and
// nothing else is left: no temporary take, no later note.
void ExpectStoppedAfter(const std::string& folder, const std::vector<std::string>& saved, double held,
                        double decay) {
  std::set<std::string> expected{"Grand_Piano/ntr-run.json"};
  for (const std::string& note : saved) expected.insert("Grand_Piano/PATCH_XXX/PATCHXXX_" + note + ".WAV");
  EXPECT_EQ(FilesUnder(folder), expected);
  for (std::size_t i = 0; i < saved.size(); ++i) {
    TakeExpectation whole{kNotes[i], 11025, 8, 1, true, held, decay};
    whole.shortestShortfallSeconds = 0.0;
    ExpectGoodTake(folder + "/Grand_Piano/PATCH_XXX/PATCHXXX_" + saved[i] + ".WAV", whole);
  }
}

TEST_F(Batch, SigtermStopsAfterTheNoteInProgress) {
  const std::string settings = WriteSettings(SettingsText(Folder(), "", "1200", "300", "11 kHz", "8", "Mono"));
  ChildProcess child(kProgram, {"--batch", "--settings", settings}, Logs());
  ASSERT_TRUE(child.WaitForOutput("[2/6]", 30)) << child.Stdout() << child.Stderr();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // well inside the third note
  child.Signal(SIGTERM);
  const int status = child.Wait(20);
  EXPECT_EQ(status, 143) << child.Stdout() << child.Stderr();
  ExpectStoppedAfter(Folder(), {"C4", "E4", "A4"}, 1.2, 0.3);
  EXPECT_NE(child.Stdout().find("Stopped by SIGTERM after 3 of 6 events"), std::string::npos) << child.Stdout();
  EXPECT_NE(child.Stderr().find("the note in progress (A4) is finished and saved first"), std::string::npos)
      << child.Stderr();
  const RunReportFigures report = ReadRunReport(Folder() + "/Grand_Piano/ntr-run.json");
  EXPECT_EQ(report.outcome, "stopped");
  EXPECT_EQ(report.statuses.size(), 3u);
}

TEST_F(Batch, CtrlCTwiceStillFinishesTheNote) {
  const std::string settings = WriteSettings(SettingsText(Folder(), "", "900", "300", "11 kHz", "8", "Mono"));
  // Without the level check, so the signals come while the first note sounds.
  ChildProcess child(kProgram, {"--batch", "--settings", settings, "--set", "TestNotes=0"}, Logs());
  ASSERT_TRUE(child.WaitForOutput("Estimated time", 30)) << child.Stdout() << child.Stderr();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  child.Signal(SIGINT);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  child.Signal(SIGINT);
  EXPECT_EQ(child.Wait(20), 130) << child.Stdout() << child.Stderr();
  ExpectStoppedAfter(Folder(), {"C4"}, 0.9, 0.3);
  EXPECT_NE(child.Stderr().find("Still stopping"), std::string::npos) << child.Stderr();
}

struct Refusal {
  std::vector<std::string> arguments;
  int status;
  std::string message;
};

TEST_F(Batch, FailuresExitNonZeroWithAClearMessage) {
  const std::string settings = WriteSettings(SettingsText(Folder(), "", "100", "50", "22 kHz", "16", "Mono"));
  const std::string aFile = temp_.File("not-a-folder");
  std::ofstream(aFile) << "x";
  const std::vector<Refusal> refusals{
      {{"--set", "Velocity=300"}, 2, "--set Velocity=300: Velocity takes 0 to 127"},
      {{"--set", "Rate=50 kHz"}, 2, "Rate takes \"11 kHz\", \"22 kHz\", \"44 kHz\", \"48 kHz\""},
      {{"--set", "Colour=red"}, 2, "there is no setting \"Colour\""},
      {{"--set", "Notes=000000000000000000000000"}, 2, "nothing to sample"},
      {{"--sett", "x"}, 2, "unknown argument \"--sett\""},
      {{"--set", "MidiDev=5"}, 3, "MIDI device 5 (MidiDev) is not there"},
      {{"--set", "SoundFont=" + aFile}, 3, "The SoundFont " + aFile + " could not be loaded"},
      {{"--set", "Folder=" + aFile + "/samples"}, 4, aFile},
  };
  for (const Refusal& refusal : refusals) {
    std::vector<std::string> arguments{"--batch", "--settings", settings};
    arguments.insert(arguments.end(), refusal.arguments.begin(), refusal.arguments.end());
    const Finished run = RunToEnd(kProgram, arguments, Logs(), 30);
    EXPECT_EQ(run.status, refusal.status) << refusal.arguments.back() << "\n" << run.err;
    EXPECT_NE(run.err.find(refusal.message), std::string::npos) << run.err;
  }
  const Finished missing = RunToEnd(kProgram, {"--batch", "--settings", temp_.File("none.ini")}, Logs(), 30);
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("none.ini does not exist"), std::string::npos) << missing.err;
  EXPECT_FALSE(std::filesystem::exists(Folder())) << "a refused run made folders";
}

// --help is answered before anything of the window exists: it works where no
// display can be opened. The terminal's "ntr" is the same program.
TEST_F(Batch, HelpNeedsNoDisplay) {
  const Finished help = RunToEnd(NTR_PROGRAM_LINK, {"--help"}, Logs(), 30,
                                 {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}});
  EXPECT_EQ(help.status, 0) << help.err;
  for (const char* text : {"NTR --batch", "--settings FILE", "--set Key=Value", "MidiDev", "OutVolume", "143"}) {
    EXPECT_NE(help.out.find(text), std::string::npos) << text;
  }
}

// Without --settings the run uses what the window stored, and stores nothing.
TEST_F(Batch, UsesTheUsersStoredSettingsAndLeavesThemAlone) {
  const std::string config = temp_.File("config");
  std::filesystem::create_directories(config);
  const std::string store = config + "/NTR - Notarra.ini";
  const std::string text =
      SettingsText(Folder(), "", "150", "50", "22 kHz", "16", "Mono", "000000000000000000010000");  // A only
  std::ofstream(store) << text;
  const Finished run = RunToEnd(kProgram, {"--batch", "--fast", "--set", "octaves=0000000001000000000000"}, Logs(), 60,
                                {{"XDG_CONFIG_HOME", config}, {"HOME", temp_.File("")}});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(FilesUnder(Folder()), ExpectedTakes("Grand_Piano", {"XXX"}, {"A4"}));
  std::ifstream after(store);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(after), {}), text);
}

// Two velocity layers, two rounds, 48 kHz 24-bit trimmed takes of C, D#, F#
// and A over two octaves, and the instrument files written after the run:
// FluidSynth, loading the SoundFont, plays every key between at the pitch of
// the nearest take moved by the right number of semitones (within 2 cents),
// louder with velocity, stepping up where the louder layer takes over.
TEST_F(Batch, WritesAnInstrumentThatFluidSynthPlaysAtEveryKey) {
  const std::string settings =
      WriteSettings(SettingsText(Folder(), "19", "600", "100", "48 kHz", "24", "Stereo", "010000010000010000010000"));
  const Finished run = RunToEnd(kProgram,
                                {"--batch", "--settings", settings, "--fast", "--set", "WriteInstrumentFiles=1", "--set",
                                 "VelocityLayers=64,127", "--set", "RoundRobins=2", "--set", "Trim=1"},
                                Logs(), 120);
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  const std::string instrument = Folder() + "/Grand_Piano";
  EXPECT_NE(run.out.find("Instrument files: 3 written in " + instrument + " (1 program, 32 takes)"), std::string::npos)
      << run.out;

  fluid_settings_t* settingsOfSynth = new_fluid_settings();
  fluid_settings_setint(settingsOfSynth, "synth.reverb.active", 0);
  fluid_settings_setint(settingsOfSynth, "synth.chorus.active", 0);
  fluid_synth_t* synth = new_fluid_synth(settingsOfSynth);
  const int font = fluid_synth_sfload(synth, (instrument + "/Grand_Piano.sf2").c_str(), 1);
  ASSERT_NE(font, FLUID_FAILED);
  ASSERT_EQ(fluid_synth_program_select(synth, 0, font, 0, 19), FLUID_OK);
  constexpr int kRate = 44100;
  const auto render = [&](int key, int velocity) {
    std::vector<float> left(kRate / 2), right(kRate / 2);
    fluid_synth_noteon(synth, 0, key, velocity);
    fluid_synth_write_float(synth, kRate / 2, left.data(), 0, 1, right.data(), 0, 1);
    fluid_synth_all_sounds_off(synth, 0);
    return left;
  };
  for (int key = 48; key <= 69; ++key) {
    const std::vector<float> left = render(key, 100);
    const double hz = test::FundamentalNear(left, kRate, test::NoteHz(key), kRate / 10, kRate / 5);
    ASSERT_GT(hz, 0) << "key " << key << " is silent";

    const int root = key + ((key - 48) % 3 == 1 ? -1 : (key - 48) % 3 == 2 ? 1 : 0);
    const Take take = ReadTake(instrument + "/PATCH_019/PATCH019_" + ntr::NoteName(root) + "_V127_R1.WAV");
    ASSERT_EQ(take.sampleRate, 48000);
    ASSERT_EQ(take.bitsPerSample, 24);
    const double takeHz = test::FundamentalNear(take.Mono(), 48000, test::NoteHz(root), 4800, 9600);
    const double expectedCents = test::Cents(takeHz, test::NoteHz(root));
    EXPECT_NEAR(test::Cents(hz, test::NoteHz(key)), expectedCents, 2.0) << "key " << key << ": " << hz << " Hz";
    EXPECT_LT(std::fabs(test::Cents(hz, test::NoteHz(key))), 10.0) << "key " << key << ": " << hz << " Hz";
  }
  // Louder with velocity; the step where the V127 takes take over from the
  // V064 ones is larger than the velocity's own change from 64 to 65.
  const auto rms = [](const std::vector<float>& samples) {
    double sum = 0;
    for (const float s : samples) sum += static_cast<double>(s) * s;
    return std::sqrt(sum / static_cast<double>(samples.size()));
  };
  const double soft = rms(render(57, 40)), topOfSoft = rms(render(57, 64)), bottomOfLoud = rms(render(57, 65)),
               loud = rms(render(57, 127));
  std::cout << "A4 RMS at velocity 40, 64, 65, 127: " << soft << ", " << topOfSoft << ", " << bottomOfLoud << ", "
            << loud << "\n";
  EXPECT_LT(soft, topOfSoft);
  EXPECT_GT(bottomOfLoud, topOfSoft * 1.2);
  EXPECT_LT(bottomOfLoud, loud);
  delete_fluid_synth(synth);
  delete_fluid_settings(settingsOfSynth);
}

// A SoundFont whose one sample, rooted at C5, sounds 35 cents sharp: three
// seconds of a tone with a few harmonics, written by the program's own writer.
std::string WriteSharpSoundFont(const std::string& folder) {
  constexpr int kRate = 44100;
  std::string bytes;
  for (int i = 0; i < 3 * kRate; ++i) {
    const double phase = 2.0 * M_PI * ntr::NoteHz(60.35) * i / kRate;
    const double value = 0.3 * std::sin(phase) + 0.15 * std::sin(2 * phase) + 0.08 * std::sin(3 * phase);
    const auto sample = static_cast<std::int16_t>(std::lround(value * 32767.0));
    bytes += static_cast<char>(sample & 0xff);
    bytes += static_cast<char>((sample >> 8) & 0xff);
  }
  const std::string wav = folder + "/sharp.wav";
  EXPECT_EQ(quendal::MakePcmWav({kRate, 16, 1}, std::move(bytes))->PutWavFile(wav, true), 0);
  instrument::Take take{"sharp.wav", wav, {}, 60};
  instrument::Region region;
  region.take = &take;
  const std::string font = folder + "/sharp.sf2";
  instrument::WriteSf2File(font, "Sharp", {{"000", 0, "Sharp", {region}}});
  return font;
}

// An instrument sampled from a synthesizer 35 cents sharp: with
// TuneCorrection=1 FluidSynth plays NTR's SoundFont in tune at the sampled
// keys and every key between, the report gives each take's cents and the
// check after the run passes; without it --check-instrument names the cents.
TEST_F(Batch, TuneCorrectionMakesASharpSynthesizerPlayInTune) {
  const std::string font = WriteSharpSoundFont(temp_.File(""));
  const auto sample = [&](const std::string& tuneCorrection) {
    const std::string folder = temp_.File("samples" + tuneCorrection);
    const std::string settings = WriteSettings(SettingsText(folder, "0", "500", "100", "44 kHz", "16", "Mono"));
    const Finished run = RunToEnd(kProgram,
                                  {"--batch", "--settings", settings, "--fast", "--set", "SoundFont=" + font, "--set",
                                   "WriteInstrumentFiles=1", "--set", "TuneCorrection=" + tuneCorrection},
                                  Logs(), 120);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    return std::pair{folder + "/Grand_Piano", run.out};
  };
  const auto [tuned, tunedRun] = sample("1");
  EXPECT_NE(tunedRun.find("Instrument check: 22 keys x 1 layer: in tune"), std::string::npos) << tunedRun;
  std::ifstream reportFile(tuned + "/ntr-run.json");
  const std::string report(std::istreambuf_iterator<char>(reportFile), {});
  EXPECT_EQ(CountLines(report, "            \"pitchCents\": 3"), kNotes.size()) << report;
  EXPECT_NE(report.find("\"instrumentCheck\": [\n        \"Instrument check: 22 keys"), std::string::npos) << report;

  fluid_settings_t* settingsOfSynth = new_fluid_settings();
  fluid_settings_setint(settingsOfSynth, "synth.reverb.active", 0);
  fluid_synth_t* synth = new_fluid_synth(settingsOfSynth);
  const int soundFont = fluid_synth_sfload(synth, (tuned + "/Grand_Piano.sf2").c_str(), 1);
  ASSERT_NE(soundFont, FLUID_FAILED);
  for (int key = 48; key <= 69; ++key) {
    std::vector<float> left(22050), right(22050);
    fluid_synth_noteon(synth, 0, key, 100);
    fluid_synth_write_float(synth, 22050, left.data(), 0, 1, right.data(), 0, 1);
    fluid_synth_all_sounds_off(synth, 0);
    const auto cents = ntr::CentsFromNote({left.begin() + 2205, left.end()}, 44100, key);
    ASSERT_TRUE(cents) << "key " << key;
    EXPECT_NEAR(*cents, 0.0, 3.0) << "key " << key;
  }
  delete_fluid_synth(synth);
  delete_fluid_settings(settingsOfSynth);

  const Finished passes = RunToEnd(kProgram, {"--check-instrument", tuned}, Logs(), 60);
  EXPECT_EQ(passes.status, 0) << passes.out << passes.err;
  const auto [untuned, untunedRun] = sample("0");
  const Finished fails = RunToEnd(kProgram, {"--check-instrument", untuned, "--tolerance-cents", "3"}, Logs(), 60);
  EXPECT_EQ(fails.status, 6) << fails.out << fails.err;
  EXPECT_TRUE(
      std::regex_search(fails.out, std::regex("PATCH_000 key 50 \\(D4\\) velocity 100: 3[456]\\.[0-9] cents sharp")))
      << fails.out;
  EXPECT_NE(fails.out.find("Instrument check: 22 keys x 1 layer: 22 out of tune (worst 3"), std::string::npos)
      << fails.out;
}

}  // namespace
}  // namespace ntr::e2e
