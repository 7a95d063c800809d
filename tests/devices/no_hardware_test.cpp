// SPDX-License-Identifier: GPL-3.0-or-later
// A computer without MIDI or audio hardware and without a sound server (this
// test runs with JACK_DEFAULT_SERVER naming a server that does not exist):
// nothing crashes, every device says clearly what is missing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "devices/recorders/audio_input_recorder.h"
#include "devices/device_layer.h"
#include "devices/midi/midi_mod.h"
#include "devices/mixer/volume_mod.h"
#include "support/manual_clock.h"

namespace ntr {
namespace {

// This computer has ALSA devices (a sound card, the MIDI sequencer).
bool HasAlsaDevices() { return std::filesystem::exists("/dev/snd"); }

// A PulseAudio (or PipeWire) server may be listening.
bool MayHavePulseServer() {
  if (std::getenv("PULSE_SERVER") != nullptr) return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return runtime != nullptr && std::filesystem::exists(std::string(runtime) + "/pulse/native");
}

#define SKIP_WITH_ALSA_DEVICES() \
  if (HasAlsaDevices()) GTEST_SKIP() << "this computer has ALSA devices (/dev/snd)"

TEST(NoHardware, MidiListHoldsTheMapperOnlyAndOtherEntriesFailToOpen) {
  SKIP_WITH_ALSA_DEVICES();
  test::ManualClock clock;
  DeviceLayer devices(clock);
  MIDI_MOD& midi = devices.Midi();
  EXPECT_EQ(midi.ListMidiDevices(), std::vector<std::string>{"MIDI Mapper"});
  EXPECT_EQ(midi.MidiDeviceCount(), 0);

  midi.SelectMidiDevice(3);  // a stored choice of a device that is not there
  EXPECT_EQ(midi.SelectedMidiDevice(), 3);
  EXPECT_EQ(midi.OpenMidiOutput(), midi_retcode::kBadDeviceId);
  EXPECT_NE(midi.LastOpenError().find("entry 3"), std::string::npos);
  midi.SelectMidiDevice(-1);
  EXPECT_EQ(midi.OpenMidiOutput(), midi_retcode::kBadDeviceId);

  // Messages sent without an open device are kept but go nowhere.
  midi.SetChannelAndVelocity(15, 127);
  midi.SendNoteOn(127);
  EXPECT_EQ(midi.LastMidiMessage(), 0x007F7F9Fu);
  midi.CloseMidiOutput();
  EXPECT_EQ(midi.MIDI_RetCode(), midi_retcode::kNotOpen);

  // The mapper still works: it is the built-in synthesizer.
  midi.SelectMidiDevice(0);
  EXPECT_EQ(midi.OpenMidiOutput(), 0) << midi.LastOpenError();
  EXPECT_TRUE(midi.BuiltInSynthOpen());
  midi.CloseMidiOutput();
  EXPECT_EQ(midi.MIDI_RetCode(), 0);
}

TEST(NoHardware, MessagesKeepTheirValuesAndStayValidMidi) {
  test::ManualClock clock;
  BuiltInSynth synth(clock);
  MIDI_MOD midi(synth);
  midi.SetChannelAndVelocity(0, 100);
  midi.SendProgramChange(0);
  EXPECT_EQ(midi.LastMidiMessage(), 0x000000C0u);
  midi.SetChannelAndVelocity(15, 127);
  midi.SendNoteOff(127);
  EXPECT_EQ(midi.LastMidiMessage(), 0x00007F8Fu);
  midi.SetChannelAndVelocity(9, 64);
  midi.SendNoteOn(60);
  EXPECT_EQ(midi.LastMidiMessage(), 60u * 256 + 144 + 64u * 65536 + 9);

  // Out-of-range values would put a status byte where a data byte belongs.
  midi.SetChannelAndVelocity(16, 200);
  EXPECT_EQ(midi.MidiChannel(), 15);
  EXPECT_EQ(midi.MidiVelocity(), 127);
  midi.SendNoteOn(300);
  EXPECT_EQ(midi.LastMidiMessage(), 0x007F7F9Fu);
  midi.SetChannelAndVelocity(-4, -1);
  midi.SendProgramChange(-7);
  EXPECT_EQ(midi.LastMidiMessage(), 0x000000C0u);
}

TEST(NoHardware, OwnAndRtMidiPortsAreNotOffered) {
  EXPECT_TRUE(IsOwnOrRtMidiPort("NTR:MIDI out"));
  EXPECT_TRUE(IsOwnOrRtMidiPort("NTR-01:MIDI out"));
  EXPECT_TRUE(IsOwnOrRtMidiPort("RtMidi Input Client:RtMidi Input 130:0"));
  EXPECT_FALSE(IsOwnOrRtMidiPort("fluidsynth-midi:midi_00"));
  EXPECT_FALSE(IsOwnOrRtMidiPort("FLUID Synth (1234):Synth input port (1234:0) 128:0"));
  EXPECT_FALSE(IsOwnOrRtMidiPort("NTRX:in"));
}

TEST(NoHardware, MixerCannotOpenAndSlidersChangeNothing) {
  SKIP_WITH_ALSA_DEVICES();
  VOLUME_MOD mixer;
  EXPECT_FALSE(mixer.OpenMixerDevice());
  EXPECT_FALSE(mixer.LastError().empty());
  EXPECT_FALSE(mixer.IsOpen());
  for (int slider = -1; slider <= 3; ++slider) {
    mixer.ApplyKnobLevel(slider, 808, 1155);
    EXPECT_FALSE(mixer.ControlFound(slider));
    EXPECT_EQ(mixer.LastLevel(slider), 0);  // a range of 0 to 0
  }
  VOLUME_MOD noSuchDevice("hw:57");
  EXPECT_FALSE(noSuchDevice.OpenMixerDevice());
}

TEST(NoHardware, SoundCardRecorderSaysThereIsNoInput) {
  SKIP_WITH_ALSA_DEVICES();
  if (MayHavePulseServer()) GTEST_SKIP() << "a PulseAudio server may offer an input";
  for (const char* api : {"", "jack", "alsa"}) {
    AudioInputOptions options;
    options.api = api;
    AudioInputRecorder recorder(options);
    try {
      recorder.NewRecording();
      FAIL() << "an input was found with \"" << api << "\"";
    } catch (const DeviceError& e) {
      EXPECT_NE(std::string(e.what()).find("No audio input device found"), std::string::npos) << e.what();
    }
    EXPECT_THROW(recorder.Record(), DeviceError);
    recorder.Close();
  }
  AudioInputOptions unknown;
  unknown.api = "oss-on-mars";
  EXPECT_THROW(AudioInputRecorder(unknown).NewRecording(), DeviceError);
}

TEST(NoHardware, RecorderFollowsTheSelectedMidiDevice) {
  SKIP_WITH_ALSA_DEVICES();
  if (MayHavePulseServer()) GTEST_SKIP() << "a PulseAudio server may offer an input";
  test::ManualClock clock;
  DeviceLayer devices(clock);
  devices.Midi().SelectMidiDevice(1);  // an external instrument: the sound card records
  EXPECT_THROW(devices.Recorder().NewRecording(), DeviceError);
  devices.Recorder().Close();
  devices.Midi().SelectMidiDevice(0);
  ASSERT_EQ(devices.Midi().OpenMidiOutput(), 0);
  EXPECT_NO_THROW(devices.Recorder().NewRecording());  // the synthesizer records
  devices.Recorder().Close();
}

}  // namespace
}  // namespace ntr
