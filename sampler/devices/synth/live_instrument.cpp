// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/synth/live_instrument.h"

#include <RtAudio.h>
#include <RtMidi.h>
#include <fluidsynth.h>

#include <cstdio>

#include "devices/quiet_libraries.h"
#include "devices/synth/fluid_log.h"
#include "engine/ports.h"

namespace ntr {

namespace {

constexpr unsigned kRate = 48000;
constexpr int kChannel = 0;

struct Preset {
  int bank = 0;
  int program = 0;
  std::string name;
};

}  // namespace

struct LiveInstrument::Synth {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  int fontId = -1;
  std::vector<Preset> presets;
  std::unique_ptr<RtAudio> audio;

  ~Synth() {
    if (audio) {
      try {
        if (audio->isStreamRunning()) audio->abortStream();
        if (audio->isStreamOpen()) audio->closeStream();
      } catch (const std::exception&) {
        // Best effort: the RtAudio object lets go of the device anyway.
      }
      audio.reset();  // before the synthesizer its callback renders from
    }
    if (synth != nullptr) delete_fluid_synth(synth);
    if (settings != nullptr) delete_fluid_settings(settings);
  }
};

struct LiveInstrument::Midi {
  RtMidiIn input;
};

namespace {

// The audio thread: renders the synthesizer, nothing else.
int Render(void* output, void* /*input*/, unsigned frames, double /*time*/, RtAudioStreamStatus /*status*/,
           void* synth) {
  auto* out = static_cast<float*>(output);
  fluid_synth_write_float(static_cast<fluid_synth_t*>(synth), static_cast<int>(frames), out, 0, 2, out, 1, 2);
  return 0;
}

// The MIDI input's thread: notes, controllers and pitch bend go straight to the synthesizer.
void OnMidi(double /*delta*/, std::vector<unsigned char>* message, void* synth) {
  if (message == nullptr || message->empty()) return;
  auto* fluid = static_cast<fluid_synth_t*>(synth);
  const int status = (*message)[0] & 0xF0;
  const int channel = (*message)[0] & 0x0F;
  const int data1 = message->size() > 1 ? (*message)[1] : 0;
  const int data2 = message->size() > 2 ? (*message)[2] : 0;
  switch (status) {
    case 0x90:
      if (data2 > 0) {
        fluid_synth_noteon(fluid, channel, data1, data2);
      } else {
        fluid_synth_noteoff(fluid, channel, data1);
      }
      break;
    case 0x80: fluid_synth_noteoff(fluid, channel, data1); break;
    case 0xB0: fluid_synth_cc(fluid, channel, data1, data2); break;
    case 0xE0: fluid_synth_pitch_bend(fluid, channel, data1 | (data2 << 7)); break;
    default: break;
  }
}

}  // namespace

LiveInstrument::LiveInstrument() { QuietDeviceLibraries(); }  // its probes of absent systems say nothing

LiveInstrument::~LiveInstrument() { Close(); }

void LiveInstrument::Load(const std::string& soundFont) {
  Close();
  RouteFluidSynthLog();
  auto synth = std::make_unique<Synth>();
  synth->settings = new_fluid_settings();
  if (synth->settings == nullptr) throw DeviceError("The synthesizer could not be created");
  fluid_settings_setnum(synth->settings, "synth.sample-rate", kRate);
  fluid_settings_setint(synth->settings, "synth.reverb.active", 0);
  fluid_settings_setint(synth->settings, "synth.chorus.active", 0);
  synth->synth = new_fluid_synth(synth->settings);
  if (synth->synth == nullptr) throw DeviceError("The synthesizer could not be created");
  synth->fontId = fluid_synth_sfload(synth->synth, soundFont.c_str(), 1);
  if (synth->fontId == FLUID_FAILED) throw DeviceError("\"" + soundFont + "\" cannot be loaded as a SoundFont");
  fluid_sfont_t* font = fluid_synth_get_sfont_by_id(synth->synth, synth->fontId);
  fluid_sfont_iteration_start(font);
  while (fluid_preset_t* preset = fluid_sfont_iteration_next(font)) {
    synth->presets.push_back({fluid_preset_get_banknum(preset), fluid_preset_get_num(preset),
                              fluid_preset_get_name(preset) ? fluid_preset_get_name(preset) : ""});
  }
  if (synth->presets.empty()) throw DeviceError("\"" + soundFont + "\" holds no instrument");

  try {
    synth->audio = std::make_unique<RtAudio>();
    synth->audio->showWarnings(false);
    if (synth->audio->getDeviceCount() == 0) throw DeviceError("No audio output device was found.");
    RtAudio::StreamParameters output;
    output.deviceId = synth->audio->getDefaultOutputDevice();
    output.nChannels = 2;
    RtAudio::StreamOptions options;
    options.streamName = "NTR instrument";
    unsigned bufferFrames = 256;  // short: it is played live
    synth->audio->openStream(&output, nullptr, RTAUDIO_FLOAT32, kRate, &bufferFrames, &Render, synth->synth, &options);
    synth->audio->startStream();
  } catch (const DeviceError&) {
    throw;
  } catch (const std::exception& e) {
    throw DeviceError(std::string("Couldn't open the audio output: ") + e.what());
  }
  synth_ = std::move(synth);
  SelectPreset(0);
}

std::vector<std::string> LiveInstrument::Presets() const {
  std::vector<std::string> names;
  if (!synth_) return names;
  for (const Preset& preset : synth_->presets) {
    char number[16];
    std::snprintf(number, sizeof number, "%03d", preset.program);
    names.push_back(std::string(number) + " " + preset.name);
  }
  return names;
}

void LiveInstrument::SelectPreset(int index) {
  if (!synth_ || index < 0 || static_cast<std::size_t>(index) >= synth_->presets.size()) return;
  const Preset& preset = synth_->presets[static_cast<std::size_t>(index)];
  // Every channel, so a MIDI keyboard plays it on whichever channel it sends.
  for (int channel = 0; channel < 16; ++channel) {
    fluid_synth_program_select(synth_->synth, channel, synth_->fontId, preset.bank, preset.program);
  }
}

void LiveInstrument::NoteOn(int note, int velocity) {
  if (synth_) fluid_synth_noteon(synth_->synth, kChannel, note, velocity);
}

void LiveInstrument::NoteOff(int note) {
  if (synth_) fluid_synth_noteoff(synth_->synth, kChannel, note);
}

std::vector<std::string> LiveInstrument::MidiInputs() {
  std::vector<std::string> names;
  try {
    RtMidiIn probe;
    for (unsigned i = 0; i < probe.getPortCount(); ++i) names.push_back(probe.getPortName(i));
  } catch (const std::exception&) {
    // No MIDI system: no inputs.
  }
  return names;
}

void LiveInstrument::ListenTo(int input) {
  midi_.reset();
  if (input < 0 || !synth_) return;
  try {
    auto midi = std::make_unique<Midi>();
    midi->input.setCallback(&OnMidi, synth_->synth);
    midi->input.openPort(static_cast<unsigned>(input), "NTR instrument");
    midi_ = std::move(midi);
  } catch (const std::exception& e) {
    throw DeviceError(std::string("Couldn't open the MIDI input: ") + e.what());
  }
}

void LiveInstrument::Close() {
  midi_.reset();
  if (synth_) fluid_synth_all_sounds_off(synth_->synth, -1);
  synth_.reset();
}

}  // namespace ntr
