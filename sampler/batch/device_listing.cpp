// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/device_listing.h"

#include <cstdio>

#include "batch/exit_codes.h"
#include "devices/device_layer.h"
#include "engine/run/steady_clock.h"

namespace ntr::batch {

namespace {

// A value as --set takes it: quoted when it holds blanks (or is empty).
std::string Quoted(const std::string& value) {
  return value.empty() || value.find_first_of(" \t") != std::string::npos ? "\"" + value + "\"" : value;
}

}  // namespace

std::string DeviceListText(MidiDevicesPort& midi, RecorderPort& recorder) {
  std::string text = "MIDI outputs (--set MidiDev=N):\n";
  const std::vector<std::string> captions = midi.ListMidiDevices();
  for (std::size_t i = 0; i < captions.size(); ++i) text += "  " + std::to_string(i) + "  " + captions[i] + "\n";
  text +=
      "\nAudio inputs for the MIDI outputs other than 0, which records its own output\n"
      "(--set Input=VALUE; the value, then what it is):\n";
  text += "  " + Quoted(kDefaultAudioInput.setting) + "  " + kDefaultAudioInput.label +
          " (the audio system's default input)\n";
  for (const AudioInputEntry& input : recorder.AudioInputs()) {
    text += "  " + Quoted(input.setting) + "  " + input.label + "\n";
  }
  return text;
}

int ListDevices() {
  SteadyClock clock;
  DeviceLayer devices(clock);
  std::fputs(DeviceListText(devices.Midi(), devices.AudioInput()).c_str(), stdout);
  return kExitDone;
}

}  // namespace ntr::batch
