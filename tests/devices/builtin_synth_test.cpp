// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in instrument ("MIDI Mapper") played through MIDI_MOD and
// recorded through the engine's recorder, on a hand-moved clock. Files are
// read back with libsndfile.
#include <gtest/gtest.h>

#include <sndfile.h>
#include <stdlib.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "devices/device_layer.h"
#include "support/audio_analysis.h"
#include "support/manual_clock.h"
#include "support/temp_folder.h"

namespace ntr {
namespace {

struct Timing {
  double lead = 0.05;  // from record to note on
  double held = 1.0;
  double decay = 0.3;
  double Total() const { return lead + held + decay; }
};

class SynthTake {
 public:
  explicit SynthTake(SynthOptions options = {}) : devices_(clock_, std::move(options)) {
    devices_.Midi().SelectMidiDevice(0);
  }

  void Open(int velocity = 100) {
    ASSERT_EQ(devices_.Midi().OpenMidiOutput(), 0) << devices_.Midi().LastOpenError();
    devices_.Midi().SetChannelAndVelocity(0, velocity);
  }

  // Records one note the way a run does, and saves it.
  void Record(int note, const RecordingFormat& format, const std::string& path, Timing timing = {}) {
    RecorderPort& recorder = devices_.Recorder();
    recorder.NewRecording();
    recorder.SetFormat(format);
    recorder.Record();
    clock_.Advance(timing.lead);
    devices_.Midi().SendNoteOn(note);
    clock_.Advance(timing.held);
    devices_.Midi().SendNoteOff(note);
    clock_.Advance(timing.decay);
    recorder.Stop();
    recorder.Save(path);
    recorder.Close();
  }

  MIDI_MOD& Midi() { return devices_.Midi(); }
  test::ManualClock& Clock() { return clock_; }
  DeviceLayer& Devices() { return devices_; }

 private:
  test::ManualClock clock_;
  DeviceLayer devices_;
};

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(BuiltInSynth, PlaysThePitchOfTheNoteAtEveryRateAndChannelCount) {
  struct Case {
    int rate, bits, channels, note;
  };
  const Case cases[] = {{11025, 16, 1, 57}, {11025, 8, 2, 69}, {22050, 16, 1, 69},
                        {22050, 8, 2, 76},  {44100, 8, 1, 60}, {44100, 16, 2, 81}};
  test::TempFolder folder;
  SynthTake synth;
  synth.Open();
  const Timing timing;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.bits << " bit, " << c.channels << " ch, note " << c.note);
    const std::string path = folder.File("take.wav");
    synth.Record(c.note, {c.rate, c.bits, c.channels}, path, timing);
    const test::DecodedWav wav = test::ReadWav(path);
    EXPECT_EQ(wav.sampleRate, c.rate);
    EXPECT_EQ(wav.channels, c.channels);
    EXPECT_EQ(wav.format, SF_FORMAT_WAV | (c.bits == 8 ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_16));
    EXPECT_NEAR(wav.Frames(), timing.Total() * c.rate, 2);

    const std::vector<float> mono = test::Channel(wav, -1);
    const auto start = static_cast<std::size_t>((timing.lead + 0.1) * c.rate);
    const double hz = test::FundamentalNear(mono, c.rate, test::NoteHz(c.note), start, c.rate * 4 / 10);
    EXPECT_NEAR(test::Cents(hz, test::NoteHz(c.note)), 0.0, 25.0) << hz << " Hz";
    EXPECT_GT(test::Peak(mono), 0.05f);
  }
}

TEST(BuiltInSynth, EightAndSixteenBitFilesDecodeToTheSameSignal) {
  test::TempFolder folder;
  SynthTake synth;
  synth.Open(127);
  RecorderPort& recorder = synth.Devices().Recorder();
  recorder.NewRecording();
  recorder.SetFormat({22050, 16, 2});
  recorder.Record();
  synth.Midi().SendNoteOn(64);
  synth.Clock().Advance(0.6);
  synth.Midi().SendNoteOff(64);
  synth.Clock().Advance(0.2);
  recorder.Stop();
  recorder.Save(folder.File("16.wav"));
  recorder.SetFormat({22050, 8, 2});  // the same take once more, in 8 bits
  recorder.Save(folder.File("8.wav"));
  recorder.Close();

  const test::DecodedWav wide = test::ReadWav(folder.File("16.wav"));
  const test::DecodedWav narrow = test::ReadWav(folder.File("8.wav"));
  ASSERT_EQ(wide.samples.size(), narrow.samples.size());
  ASSERT_GT(test::Peak(wide.samples), 0.1f);
  float worst = 0;
  for (std::size_t i = 0; i < wide.samples.size(); ++i) {
    worst = std::max(worst, std::fabs(wide.samples[i] - narrow.samples[i]));
  }
  EXPECT_LE(worst, 0.5f / 128 + 1.0f / 32768);  // within half an 8-bit step
}

TEST(BuiltInSynth, MonoIsTheMeanOfStereoAndNotesStartWhenSent) {
  test::TempFolder folder;
  SynthTake synth;
  synth.Open();
  Timing timing;
  timing.lead = 0.25;
  synth.Record(60, {44100, 16, 2}, folder.File("stereo.wav"), timing);
  synth.Midi().CloseMidiOutput();
  synth.Open();  // a new run starts from the same state
  synth.Record(60, {44100, 16, 1}, folder.File("mono.wav"), timing);

  const test::DecodedWav stereo = test::ReadWav(folder.File("stereo.wav"));
  const test::DecodedWav mono = test::ReadWav(folder.File("mono.wav"));
  const std::vector<float> mean = test::Channel(stereo, -1);
  ASSERT_EQ(mean.size(), mono.samples.size());
  for (std::size_t i = 0; i < mean.size(); ++i) ASSERT_NEAR(mean[i], mono.samples[i], 2.0f / 32768) << i;

  const long onset = test::FirstAbove(mono.samples, 0.01f);
  ASSERT_GE(onset, 0);
  EXPECT_GE(onset, static_cast<long>(0.25 * 44100));       // silence before the note on
  EXPECT_LE(onset, static_cast<long>((0.25 + 0.02) * 44100));  // and the attack right after
}

TEST(BuiltInSynth, TakesAreTheSameOnEveryRun) {
  test::TempFolder folder;
  for (const char* name : {"first.wav", "second.wav"}) {
    SynthTake synth;
    synth.Open();
    synth.Midi().SendProgramChange(19);
    synth.Record(67, {22050, 16, 2}, folder.File(name));
  }
  const std::string first = FileBytes(folder.File("first.wav"));
  ASSERT_GT(first.size(), 44u);
  EXPECT_TRUE(first == FileBytes(folder.File("second.wav"))) << "the two runs differ";
}

TEST(BuiltInSynth, ProgramChangeChangesTheInstrumentUntilTheNextOpen) {
  test::TempFolder folder;
  SynthTake synth;
  synth.Open();
  synth.Record(60, {22050, 16, 1}, folder.File("piano.wav"));
  synth.Midi().SendProgramChange(19);  // church organ
  EXPECT_EQ(synth.Midi().LastMidiMessage(), 19u * 256 + 192);
  synth.Record(60, {22050, 16, 1}, folder.File("organ.wav"));
  synth.Midi().CloseMidiOutput();
  synth.Open();
  synth.Record(60, {22050, 16, 1}, folder.File("piano-again.wav"));

  const test::DecodedWav piano = test::ReadWav(folder.File("piano.wav"));
  const test::DecodedWav organ = test::ReadWav(folder.File("organ.wav"));
  ASSERT_EQ(piano.samples.size(), organ.samples.size());
  float difference = 0;
  for (std::size_t i = 0; i < piano.samples.size(); ++i) {
    difference = std::max(difference, std::fabs(piano.samples[i] - organ.samples[i]));
  }
  EXPECT_GT(difference, 0.05f);
  EXPECT_TRUE(FileBytes(folder.File("piano.wav")) == FileBytes(folder.File("piano-again.wav")))
      << "the program change outlived the run";
}

TEST(BuiltInSynth, LoudNotesDoNotClip) {
  test::TempFolder folder;
  SynthTake synth;
  synth.Open(127);
  for (const int note : {36, 60, 84}) {
    synth.Record(note, {44100, 16, 2}, folder.File("loud.wav"));
    const float peak = test::Peak(test::ReadWav(folder.File("loud.wav")).samples);
    EXPECT_GT(peak, 0.1f) << note;
    EXPECT_LT(peak, 0.99f) << note;
  }
}

TEST(BuiltInSynth, MissingOrBrokenSoundFontFailsTheOpenWithItsOwnCode) {
  unsetenv("NTR_SOUNDFONT");
  test::TempFolder folder;
  {
    SynthOptions options;
    options.soundFontCandidates = {folder.File("none.sf2")};
    SynthTake synth(options);
    EXPECT_EQ(synth.Midi().OpenMidiOutput(), midi_retcode::kNoSoundFont);
    EXPECT_EQ(synth.Midi().MIDI_RetCode(), midi_retcode::kNoSoundFont);
    const std::string reason = synth.Midi().LastOpenError();
    EXPECT_NE(reason.find("timgm6mb-soundfont"), std::string::npos) << reason;
    EXPECT_NE(reason.find("fluid-soundfont-gm"), std::string::npos) << reason;
    EXPECT_NE(reason.find(folder.File("none.sf2")), std::string::npos) << reason;
    EXPECT_FALSE(synth.Midi().BuiltInSynthOpen());
  }
  {
    std::ofstream(folder.File("broken.sf2")) << "RIFF this is not a SoundFont";
    SynthOptions options;
    options.soundFontCandidates = {folder.File("broken.sf2")};
    SynthTake synth(options);
    EXPECT_EQ(synth.Midi().OpenMidiOutput(), midi_retcode::kSoundFontUnreadable);
    EXPECT_NE(synth.Midi().LastOpenError().find("broken.sf2"), std::string::npos);
  }
  {  // one chosen by the user: named when missing or broken, played when good
    SynthTake synth;
    for (const char* name : {"chosen.sf2", "broken.sf2"}) {
      synth.Midi().UseSoundFont(folder.File(name));
      EXPECT_EQ(synth.Midi().OpenMidiOutput(), midi_retcode::kSoundFontUnreadable) << name;
      EXPECT_NE(synth.Midi().LastOpenError().find(folder.File(name)), std::string::npos)
          << synth.Midi().LastOpenError();
    }
    synth.Midi().UseSoundFont(FindGeneralMidiSoundFont(DefaultSoundFontCandidates()));
    synth.Open();
    synth.Record(60, {22050, 16, 1}, folder.File("chosen.wav"));
    EXPECT_GT(test::Peak(test::ReadWav(folder.File("chosen.wav")).samples), 0.05f);
  }
}

TEST(BuiltInSynth, RecordingNeedsAnOpenSynthesizer) {
  SynthTake synth;
  EXPECT_THROW(synth.Devices().Recorder().NewRecording(), DeviceError);
  synth.Devices().Recorder().Close();
  EXPECT_THROW(synth.Devices().Recorder().Record(), DeviceError);  // no recording open
  synth.Open();
  synth.Devices().Recorder().NewRecording();
  EXPECT_THROW(synth.Devices().Recorder().SetFormat({44100, 12, 2}), DeviceError);
  EXPECT_THROW(synth.Devices().Recorder().SetFormat({44100, 16, 3}), DeviceError);
  EXPECT_THROW(synth.Devices().Recorder().SetFormat({0, 16, 2}), DeviceError);
  EXPECT_NO_THROW(synth.Devices().Recorder().SetFormat({11025, 8, 1}));
}

}  // namespace
}  // namespace ntr
