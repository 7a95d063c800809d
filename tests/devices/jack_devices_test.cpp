// SPDX-License-Identifier: GPL-3.0-or-later
// The devices against a real JACK server (dummy backend) and a real fluidsynth,
// both started by scripts/with-jack-server around this test program.
#include <gtest/gtest.h>

#include <jack/jack.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <thread>

#include "devices/recorders/audio_input_recorder.h"
#include "devices/device_layer.h"
#include "devices/midi/midi_mod.h"
#include "engine/run/steady_clock.h"
#include "support/audio_analysis.h"
#include "support/engine_run.h"
#include "support/fluidsynth_shell.h"
#include "support/jack_midi_sink.h"
#include "support/manual_clock.h"
#include "support/real_clock.h"
#include "support/temp_folder.h"

namespace ntr {
namespace {

const char* const kFluidMidi = "fluidsynth-midi:midi_00";
const std::vector<std::string> kFluidAudio{"fluidsynth-midi:left", "fluidsynth-midi:right"};

void Sleep(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// A JACK server without realtime scheduling misses deadlines when the machine
// is busy, and the recorder then rightly fails the take. Such a take is made
// again (from NewRecording on) a few times before that counts as a failure.
// Returns the number of tries it took.
template <typename Take>
int RetryingLostAudio(RecorderPort& recorder, Take take) {
  for (int attempt = 1;; ++attempt) {
    try {
      take();
      return attempt;
    } catch (const DeviceError& e) {
      if (std::string(e.what()).find("Audio was lost") == std::string::npos || attempt == 4) throw;
      std::cerr << "attempt " << attempt << " lost audio (" << e.what() << "); trying again\n";
      recorder.Close();
    }
  }
}

class Jack : public testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("NTR_TEST_JACK_SERVER") == nullptr) {
      GTEST_SKIP() << "needs a JACK server: run through scripts/with-jack-server --fluidsynth";
    }
    if (const char* port = std::getenv("NTR_TEST_FLUIDSYNTH_PORT")) fluidShell_ = std::atoi(port);
  }

  // The menu entry whose caption names the port; -1 when it is not listed.
  static int EntryOf(const std::vector<std::string>& captions, const std::string& port) {
    const auto found = std::find(captions.begin(), captions.end(), port + " (JACK)");
    return found == captions.end() ? -1 : static_cast<int>(found - captions.begin());
  }

  // A run of the engine on fluidsynth through the sound card, at velocity 100,
  // into <saveFolder>/Fluid; made again when audio was lost (see RetryingLostAudio).
  static test::EngineRun RunOnFluidsynth(PlainRunSettings settings, const std::string& saveFolder,
                                         const std::vector<int>& notes, const std::string& durationMs,
                                         const std::string& decayMs) {
    SteadyClock clock;
    AudioInputOptions options;
    options.jackSources = kFluidAudio;
    settings.saveFolder = saveFolder;
    settings.instrumentName = "Fluid";
    settings.velocity = "100";
    test::EngineRun run;
    for (int attempt = 1; attempt <= 4; ++attempt) {
      DeviceLayer devices(clock, {}, options);
      devices.Midi().SelectMidiDevice(EntryOf(devices.Midi().ListMidiDevices(), kFluidMidi));
      run = test::RunEngine(devices, clock, settings, notes, durationMs, decayMs);
      if (run.result.message.find("Audio was lost") == std::string::npos) break;
      std::cerr << "attempt " << attempt << " lost audio: " << run.result.message << "\n";
    }
    return run;
  }

  test::ManualClock clock_;
  BuiltInSynth synth_{clock_};
  MIDI_MOD midi_{synth_};
  int fluidShell_ = 0;
};

TEST_F(Jack, MidiListOffersTheServersPortsButNotOurOwn) {
  test::JackMidiSink sink("ntr-test-sink");
  ASSERT_TRUE(sink.Ok());
  const std::vector<std::string> captions = midi_.ListMidiDevices();
  ASSERT_GE(captions.size(), 3u);
  EXPECT_EQ(captions[0], "MIDI Mapper");
  EXPECT_GT(EntryOf(captions, kFluidMidi), 0);
  EXPECT_GT(EntryOf(captions, sink.PortName()), 0);
  EXPECT_LE(captions.size(), 10u);

  midi_.SelectMidiDevice(EntryOf(captions, sink.PortName()));
  ASSERT_EQ(midi_.OpenMidiOutput(), 0) << midi_.LastOpenError();
  MIDI_MOD second(synth_);  // another listing while our output port exists
  for (const std::string& caption : second.ListMidiDevices()) {
    EXPECT_NE(caption.rfind("NTR", 0), 0u) << caption;
    EXPECT_NE(caption.rfind("RtMidi", 0), 0u) << caption;
  }
  midi_.CloseMidiOutput();
  EXPECT_EQ(midi_.MIDI_RetCode(), 0);
}

TEST_F(Jack, ExactMessagesReachTheDevice) {
  test::JackMidiSink sink("ntr-test-sink");
  ASSERT_TRUE(sink.Ok());
  midi_.SelectMidiDevice(EntryOf(midi_.ListMidiDevices(), sink.PortName()));
  ASSERT_EQ(midi_.OpenMidiOutput(), 0) << midi_.LastOpenError();
  midi_.SetChannelAndVelocity(15, 127);
  midi_.SendProgramChange(5);
  midi_.SendNoteOn(127);
  midi_.SendNoteOff(127);
  midi_.SetChannelAndVelocity(0, 1);
  midi_.SendProgramChange(0);
  midi_.SendNoteOn(0);
  midi_.SendNoteOff(0);  // the last message, right before the close
  midi_.CloseMidiOutput();

  using Bytes = std::vector<uint8_t>;
  const std::vector<Bytes> expected{{0xCF, 0x05}, {0x9F, 0x7F, 0x7F}, {0x8F, 0x7F, 0x00}, {0xC0, 0x00},
                                    {0x90, 0x00, 0x01}, {0x80, 0x00, 0x00}};
  EXPECT_EQ(sink.WaitForMessages(expected.size(), 3.0), expected);

  midi_.SendNoteOn(60);  // closed: goes nowhere
  EXPECT_EQ(sink.WaitForMessages(expected.size() + 1, 0.2).size(), expected.size());
}

TEST_F(Jack, DeviceThatWentAwayFailsTheOpen) {
  int entry = -1;
  {
    test::JackMidiSink sink("ntr-test-gone");
    ASSERT_TRUE(sink.Ok());
    entry = EntryOf(midi_.ListMidiDevices(), sink.PortName());
    ASSERT_GT(entry, 0);
  }
  midi_.SelectMidiDevice(entry);
  EXPECT_EQ(midi_.OpenMidiOutput(), midi_retcode::kNoDevice);
  EXPECT_NE(midi_.LastOpenError().find("ntr-test-gone:in"), std::string::npos) << midi_.LastOpenError();
}

// fluidsynth's channel list once `ready` holds for it, or after a few seconds.
template <typename Ready>
std::map<int, std::string> WaitForChannels(int shellPort, Ready ready) {
  std::map<int, std::string> channels;
  for (int poll = 0; poll < 30; ++poll) {
    channels = test::FluidSynthChannels(shellPort);
    if (channels.size() == 16 && ready(channels)) break;
    Sleep(0.1);
  }
  return channels;
}

TEST_F(Jack, ProgramChangesReachFluidsynth) {
  ASSERT_GT(fluidShell_, 0) << "fluidsynth's shell port is unknown";
  midi_.SelectMidiDevice(EntryOf(midi_.ListMidiDevices(), kFluidMidi));
  ASSERT_EQ(midi_.OpenMidiOutput(), 0) << midi_.LastOpenError();
  midi_.SetChannelAndVelocity(0, 100);
  midi_.SendProgramChange(40);
  midi_.SetChannelAndVelocity(5, 100);
  midi_.SendProgramChange(19);
  const auto changed = WaitForChannels(fluidShell_, [](const auto& c) {
    return c.at(0) != c.at(1) && c.at(5) != c.at(1);
  });
  midi_.SetChannelAndVelocity(0, 100);
  midi_.SendProgramChange(0);
  midi_.SetChannelAndVelocity(5, 100);
  midi_.SendProgramChange(0);
  const auto back = WaitForChannels(fluidShell_, [](const auto& c) {
    return c.at(0) == c.at(1) && c.at(5) == c.at(1);
  });
  midi_.CloseMidiOutput();

  ASSERT_EQ(changed.size(), 16u);
  ASSERT_EQ(back.size(), 16u);
  EXPECT_NE(changed.at(0), changed.at(1));  // violin against piano
  EXPECT_NE(changed.at(5), changed.at(1));  // organ against piano
  EXPECT_NE(changed.at(0), changed.at(5));
  EXPECT_EQ(changed.at(2), changed.at(1));  // other channels untouched
  EXPECT_EQ(back.at(0), back.at(1));
  EXPECT_EQ(back.at(5), back.at(1));
}

// One take as a run makes it, on the real clock; Stop's failure is the test's.
// Returns the wall time from the start of Record to the end of Stop.
double RecordNote(RecorderPort& recorder, MidiOutputPort& midi, int note, double held, double decay) {
  test::RealClock clock;
  const double start = clock.Now();
  recorder.Record();
  Sleep(0.05);
  midi.SendNoteOn(note);
  Sleep(held);
  midi.SendNoteOff(note);
  Sleep(decay);
  recorder.Stop();
  return clock.Now() - start;
}

// The take lasts from Record to Stop: at least what the test slept, at most
// the wall time the two calls spanned (a busy machine oversleeps) plus one
// server period (1024 frames, 23 ms): the capture keeps whole periods.
void ExpectPitch(const std::string& path, int rate, int channels, int note, double slept, double spanned) {
  const test::DecodedWav wav = test::ReadWav(path);
  EXPECT_EQ(wav.sampleRate, rate);
  EXPECT_EQ(wav.channels, channels);
  const double seconds = static_cast<double>(wav.Frames()) / rate;
  EXPECT_GE(seconds, slept - 0.05);
  EXPECT_LE(seconds, spanned + 0.025);
  const std::vector<float> mono = test::Channel(wav, -1);
  const long onset = test::FirstAbove(mono, 0.2f * test::Peak(mono));
  ASSERT_GT(onset, static_cast<long>(0.03 * rate)) << "sound before the note on";
  EXPECT_LT(onset, static_cast<long>(0.3 * rate)) << "the note on arrived late";
  const double hz = test::FundamentalNear(mono, rate, test::NoteHz(note),
                                          static_cast<std::size_t>(onset) + static_cast<std::size_t>(rate) / 10,
                                          static_cast<std::size_t>(rate) * 4 / 10);
  EXPECT_NEAR(test::Cents(hz, test::NoteHz(note)), 0.0, 25.0) << hz << " Hz in " << path;
}

TEST_F(Jack, TakeFromFluidsynthIsRecordedAndSavedInEveryFormat) {
  midi_.SelectMidiDevice(EntryOf(midi_.ListMidiDevices(), kFluidMidi));
  ASSERT_EQ(midi_.OpenMidiOutput(), 0) << midi_.LastOpenError();
  midi_.SetChannelAndVelocity(0, 110);
  midi_.SendProgramChange(0);

  AudioInputOptions options;
  options.jackSources = kFluidAudio;
  AudioInputRecorder recorder(options);
  test::TempFolder folder;
  double spanned = 0;
  RetryingLostAudio(recorder, [&] {
    recorder.NewRecording();
    recorder.SetFormat({44100, 16, 2});
    spanned = RecordNote(recorder, midi_, 69, 0.8, 0.3);
  });
  EXPECT_NE(recorder.SourceDescription().find("JACK"), std::string::npos) << recorder.SourceDescription();
  EXPECT_EQ(recorder.Take().sampleRate, 44100);
  EXPECT_EQ(recorder.Take().channels, 2);
  const struct {
    int rate, bits, channels;
  } formats[] = {{44100, 16, 2}, {22050, 8, 2}, {11025, 16, 1}, {11025, 8, 1}};
  for (const auto& f : formats) {
    SCOPED_TRACE(testing::Message() << f.rate << " Hz " << f.bits << " bit " << f.channels << " ch");
    recorder.SetFormat({f.rate, f.bits, f.channels});
    const std::string path = folder.File("take.wav");
    recorder.Save(path);
    ExpectPitch(path, f.rate, f.channels, 69, 1.15, spanned);
  }
  recorder.Close();
  midi_.CloseMidiOutput();
}

// The recorder's own JACK input ports, as the server lists them.
std::vector<std::string> RecorderPorts() {
  std::vector<std::string> ports;
  jack_client_t* client = jack_client_open("ntr-test-lister", JackNoStartServer, nullptr);
  if (client == nullptr) return ports;
  const char** names = jack_get_ports(client, "^NTR recorder", nullptr, 0);
  if (names != nullptr) {
    for (const char** name = names; *name != nullptr; ++name) ports.emplace_back(*name);
    jack_free(static_cast<void*>(names));
  }
  jack_client_close(client);
  return ports;
}

TEST_F(Jack, TheInputStaysOpenBetweenTakesAndKeepsOnlyWhatEachTakeHeard) {
  midi_.SelectMidiDevice(EntryOf(midi_.ListMidiDevices(), kFluidMidi));
  ASSERT_EQ(midi_.OpenMidiOutput(), 0) << midi_.LastOpenError();
  midi_.SetChannelAndVelocity(0, 110);
  midi_.SendProgramChange(0);
  AudioInputOptions options;
  options.jackSources = kFluidAudio;
  AudioInputRecorder recorder(options);
  test::TempFolder folder;

  std::vector<std::string> firstPorts;
  RetryingLostAudio(recorder, [&] {
    recorder.NewRecording();
    recorder.SetFormat({22050, 16, 1});
    RecordNote(recorder, midi_, 60, 0.4, 0.2);
    firstPorts = RecorderPorts();
  });
  recorder.Save(folder.File("first.wav"));
  recorder.Close();
  EXPECT_TRUE(recorder.InputOpen());
  EXPECT_EQ(firstPorts.size(), 2u);

  // A loud note between the takes must not reach the next take.
  midi_.SendNoteOn(84);
  Sleep(0.3);
  midi_.SendNoteOff(84);
  Sleep(0.8);

  double spanned = 0;
  const int tries = RetryingLostAudio(recorder, [&] {
    recorder.NewRecording();
    recorder.SetFormat({22050, 16, 1});
    spanned = RecordNote(recorder, midi_, 67, 0.5, 0.2);
  });
  if (tries == 1) {
    EXPECT_EQ(RecorderPorts(), firstPorts) << "the input was opened anew for the second take";
  }
  recorder.Save(folder.File("second.wav"));
  recorder.Close();
  ExpectPitch(folder.File("second.wav"), 22050, 1, 67, 0.75, spanned);

  recorder.EndOfRun();
  EXPECT_FALSE(recorder.InputOpen());
  EXPECT_TRUE(RecorderPorts().empty()) << "the input outlived the run";

  // A new run opens it again.
  RetryingLostAudio(recorder, [&] {
    recorder.NewRecording();
    recorder.SetFormat({22050, 16, 1});
    RecordNote(recorder, midi_, 72, 0.4, 0.2);
  });
  recorder.Save(folder.File("third.wav"));
  recorder.EndOfRun();
  ExpectPitch(folder.File("third.wav"), 22050, 1, 72, 0.65, 10.0);
  midi_.CloseMidiOutput();
}

TEST_F(Jack, PhysicalCapturePortsAreTheDefaultSource) {
  AudioInputRecorder recorder;  // no system named: JACK, as a server runs
  RetryingLostAudio(recorder, [&] {
    recorder.NewRecording();
    recorder.SetFormat({22050, 16, 1});
    recorder.Record();
    Sleep(0.3);
    recorder.Stop();
  });
  EXPECT_NE(recorder.SourceDescription().find("JACK, system"), std::string::npos) << recorder.SourceDescription();
  EXPECT_GE(static_cast<double>(recorder.Take().Frames()) / recorder.Take().sampleRate, 0.25);
  test::TempFolder folder;
  recorder.Save(folder.File("silence.wav"));
  recorder.Close();
  EXPECT_EQ(test::ReadWav(folder.File("silence.wav")).sampleRate, 22050);
}

TEST_F(Jack, LostAudioAndMissingSourcesFailTheTake) {
  AudioInputOptions tiny;
  tiny.jackSources = kFluidAudio;
  tiny.ringSeconds = 0.001;  // less than one server period
  AudioInputRecorder starved(tiny);
  starved.NewRecording();
  starved.Record();
  Sleep(0.1);
  try {
    starved.Stop();
    ADD_FAILURE() << "the lost audio went unnoticed";
  } catch (const AudioDropoutError& e) {  // the engine records such a take again
    EXPECT_NE(std::string(e.what()).find("Audio was lost"), std::string::npos) << e.what();
  }
  starved.Close();

  AudioInputOptions missing;
  missing.jackSources = {"nobody:out"};
  AudioInputRecorder unconnected(missing);
  unconnected.NewRecording();
  try {
    unconnected.Record();
    ADD_FAILURE() << "recording from a port that does not exist";
  } catch (const DeviceError& e) {
    EXPECT_NE(std::string(e.what()).find("nobody:out"), std::string::npos) << e.what();
  }
  unconnected.Close();
}

TEST_F(Jack, DeviceLayerRecordsAnExternalInstrumentFromTheSoundCard) {
  test::RealClock clock;
  AudioInputOptions options;
  options.jackSources = kFluidAudio;
  DeviceLayer devices(clock, {}, options);
  MIDI_MOD& midi = devices.Midi();
  midi.SelectMidiDevice(EntryOf(midi.ListMidiDevices(), kFluidMidi));
  ASSERT_EQ(midi.OpenMidiOutput(), 0) << midi.LastOpenError();
  midi.SetChannelAndVelocity(0, 100);
  midi.SendProgramChange(0);
  test::TempFolder folder;
  for (const int note : {60, 67}) {
    RecorderPort& recorder = devices.Recorder();
    double spanned = 0;
    RetryingLostAudio(recorder, [&] {
      recorder.NewRecording();
      recorder.SetFormat({22050, 16, 2});
      spanned = RecordNote(recorder, midi, note, 0.6, 0.2);
    });
    const std::string path = folder.File("note" + std::to_string(note) + ".wav");
    recorder.Save(path);
    recorder.Close();
    ExpectPitch(path, 22050, 2, note, 0.85, spanned);
  }
  midi.CloseMidiOutput();
}

TEST_F(Jack, EngineSamplesFluidsynthThroughTheSoundCard) {
  test::TempFolder folder;
  PlainRunSettings settings;
  settings.format = {11025, 8, 2};
  const test::EngineRun run = RunOnFluidsynth(settings, folder.File("samples"), {60, 69}, "500", "200");
  ASSERT_EQ(run.result.outcome, RunOutcome::Completed) << run.result.message;
  const std::string base = folder.File("samples") + "/Fluid/PATCH_XXX/";
  ASSERT_EQ(run.files, (std::vector<std::string>{base + "PATCHXXX_A5.WAV", base + "PATCHXXX_C5.WAV"}));
  for (const std::string& file : run.files) {
    SCOPED_TRACE(file);
    const int note = file.find("_C5") != std::string::npos ? 60 : 69;
    const test::DecodedWav wav = test::ReadWav(file);
    EXPECT_EQ(wav.sampleRate, 11025);
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.format, SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
    EXPECT_GE(static_cast<double>(wav.Frames()) / 11025, 0.65);
    const std::vector<float> mono = test::Channel(wav, -1);
    const long onset = test::FirstAbove(mono, 0.2f * test::Peak(mono));
    ASSERT_GT(onset, 0);
    const double hz = test::FundamentalNear(mono, 11025, test::NoteHz(note), static_cast<std::size_t>(onset) + 1102,
                                            11025 * 3 / 10);
    EXPECT_NEAR(test::Cents(hz, test::NoteHz(note)), 0.0, 25.0) << hz << " Hz";
  }
}

// Every take checked on the real path: fluidsynth turned up until it clips
// gives clipped marks; turned down to nothing after two takes (as an audio
// cable pulled in the night) it gives eight silent takes in a row (the take
// playing while the gain falls may still sound), then the last note that
// sounded is tried again and the run stops instead of saving silence.
TEST_F(Jack, ClippedTakesAreMarkedAndAnInstrumentThatGoesQuietStopsTheRun) {
  ASSERT_NE(fluidShell_, 0) << "fluidsynth's shell port is not known";
  struct GainBack {
    int shell;
    ~GainBack() { test::AskFluidSynth(shell, "gain 1"); }
  } gainBack{fluidShell_};
  test::AskFluidSynth(fluidShell_, "gain 5");  // the most it takes: a square lead goes past full scale

  struct Watch : RunObserver {
    int shell;
    std::vector<TakeStatus> statuses;
    explicit Watch(int s) : shell(s) {}
    void TakeSaved(const SavedTake& take) override {
      statuses.push_back(take.status);
      if (statuses.size() == 2) test::AskFluidSynth(shell, "gain 0");
    }
  } watch(fluidShell_);

  SteadyClock clock;
  AudioInputOptions options;
  options.jackSources = kFluidAudio;
  DeviceLayer devices(clock, {}, options);
  devices.Midi().SelectMidiDevice(EntryOf(devices.Midi().ListMidiDevices(), kFluidMidi));
  test::TempFolder folder;
  PlainRunSettings settings;
  settings.saveFolder = folder.File("samples");
  settings.instrumentName = "Fluid";
  settings.format = {22050, 16, 1};
  settings.options.testNotes = true;
  settings.programList = "80";  // Lead 1 (square)
  const test::EngineRun run =
      test::RunEngine(devices, clock, settings, {60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71}, "250", "100", &watch);

  EXPECT_EQ(run.result.outcome, RunOutcome::InstrumentSilent) << run.result.message;
  EXPECT_NE(run.result.message.find("silent"), std::string::npos) << run.result.message;
  ASSERT_GE(watch.statuses.size(), 10u);
  EXPECT_EQ(watch.statuses[0], TakeStatus::Clipped);
  EXPECT_EQ(watch.statuses[1], TakeStatus::Clipped);
  EXPECT_EQ(std::vector<TakeStatus>(watch.statuses.end() - 8, watch.statuses.end()),
            std::vector<TakeStatus>(8, TakeStatus::Silent));
  EXPECT_EQ(run.result.takesClipped, 2);
  EXPECT_EQ(run.result.takesSilent, 8);
}

// Trimmed 24-bit takes at 48 kHz from the sound card: the interface's latency
// and the silence after the sound are cut, the onset lands at the 5 ms
// pre-roll, and the end fades out; libsndfile reads them as 24-bit PCM.
TEST_F(Jack, EngineTrimsTwentyFourBitTakesToTheirSound) {
  test::TempFolder folder;
  PlainRunSettings settings;
  settings.format = {48000, 24, 2};
  settings.options.testNotes = true;
  settings.options.trim = true;
  const test::EngineRun run = RunOnFluidsynth(settings, folder.File("samples"), {60, 64, 69}, "500", "700");
  ASSERT_EQ(run.result.outcome, RunOutcome::Completed) << run.result.message;
  ASSERT_EQ(run.files.size(), 3u);
  for (const std::string& file : run.files) {
    SCOPED_TRACE(file);
    const test::DecodedWav wav = test::ReadWav(file);
    EXPECT_EQ(wav.sampleRate, 48000);
    EXPECT_EQ(wav.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    const double seconds = static_cast<double>(wav.Frames()) / 48000;
    EXPECT_GT(seconds, 0.5);
    EXPECT_LT(seconds, 1.25);
    const test::TrimFigures trim = test::TrimFiguresOf(wav.samples, wav.channels, 48000, 0.010);
    EXPECT_NEAR(trim.onsetSeconds, 0.005, 0.001);
    EXPECT_LE(trim.fadeTailRatio, 0.15f);
    EXPECT_EQ(trim.lastSample, 0.0f);
  }
}

}  // namespace
}  // namespace ntr
