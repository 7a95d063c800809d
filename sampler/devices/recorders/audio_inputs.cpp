// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/recorders/audio_inputs.h"

#include <RtAudio.h>

#include <algorithm>
#include <map>

#include "devices/quiet_libraries.h"
#include "devices/recorders/jack_capture_ports.h"

namespace ntr {

namespace {

constexpr std::string_view kJack = "jack:", kPulse = "pulse:", kAlsa = "alsa:";

bool StartsWith(const std::string& text, std::string_view prefix) { return text.rfind(prefix, 0) == 0; }

std::string Joined(const std::vector<std::string>& parts, const std::string& between) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : between) + part;
  return text;
}

// How JACK ports read in the menu and in messages: "JACK: a:x + a:y".
std::string JackLabel(const std::vector<std::string>& ports) { return "JACK: " + Joined(ports, " + "); }

// A client's ports two by two, in the server's order.
void AddJackInputs(std::vector<AudioInputEntry>& inputs) {
  std::vector<std::string> clients;
  std::map<std::string, std::vector<std::string>> portsOf;
  for (const std::string& port : JackRecordablePorts()) {
    const std::string client = JackClientOf(port);
    if (client.rfind("NTR ", 0) == 0) continue;  // the program's own clients
    if (!portsOf.count(client)) clients.push_back(client);
    portsOf[client].push_back(port);
  }
  for (const std::string& client : clients) {
    const std::vector<std::string>& ports = portsOf[client];
    for (std::size_t i = 0; i < ports.size(); i += 2) {
      const std::vector<std::string> pair(ports.begin() + static_cast<std::ptrdiff_t>(i),
                                          ports.begin() + static_cast<std::ptrdiff_t>(std::min(i + 2, ports.size())));
      inputs.push_back({std::string(kJack) + Joined(pair, ","), JackLabel(pair)});
    }
  }
}

// The devices with an input that the audio library finds on one system
// (PulseAudio: its sources, by description); none when it is not running.
std::vector<std::string> InputDevicesOf(RtAudio::Api api) {
  std::vector<std::string> names;
  try {
    RtAudio audio(api);
    audio.showWarnings(false);
    const unsigned count = audio.getDeviceCount();
    for (unsigned device = 0; device < count; ++device) {
      try {
        const RtAudio::DeviceInfo info = audio.getDeviceInfo(device);
        if (info.probed && info.inputChannels > 0) names.push_back(info.name);
      } catch (const std::exception&) {
      }
    }
  } catch (const std::exception&) {  // a build without that system
  }
  return names;
}

void AddInputDevices(std::vector<AudioInputEntry>& inputs, RtAudio::Api api, std::string_view prefix,
                     const std::string& system) {
  for (const std::string& name : InputDevicesOf(api)) inputs.push_back({std::string(prefix) + name, system + name});
}

std::string Rest(const std::string& setting, std::string_view prefix) { return setting.substr(prefix.size()); }

// How a choice reads in a message when the input itself is gone.
std::string Named(const std::string& setting) {
  if (StartsWith(setting, kJack)) return JackLabel(SplitPortList(Rest(setting, kJack)));
  if (StartsWith(setting, kPulse)) return "PulseAudio: " + Rest(setting, kPulse);
  if (StartsWith(setting, kAlsa)) return "ALSA: " + Rest(setting, kAlsa);
  return setting;
}

}  // namespace

std::vector<AudioInputEntry> ListAudioInputs() {
  QuietDeviceLibraries();
  std::vector<AudioInputEntry> inputs;
  AddJackInputs(inputs);
  AddInputDevices(inputs, RtAudio::LINUX_PULSE, kPulse, "PulseAudio: ");
  AddInputDevices(inputs, RtAudio::LINUX_ALSA, kAlsa, "ALSA: ");
  return inputs;
}

AudioInputOptions AudioInputOptionsOf(const std::string& setting) {
  AudioInputOptions options;
  if (setting.empty()) return options;
  if (StartsWith(setting, kJack)) {
    options.api = "jack";
    options.jackSources = SplitPortList(Rest(setting, kJack));
    if (options.jackSources.empty() || options.jackSources.size() > 2) {
      throw DeviceError("The audio input \"" + setting + "\" must name one or two JACK ports");
    }
  } else if (StartsWith(setting, kPulse) || StartsWith(setting, kAlsa)) {
    options.api = StartsWith(setting, kPulse) ? "pulse" : "alsa";
    options.device = Rest(setting, StartsWith(setting, kPulse) ? kPulse : kAlsa);
    if (options.device.empty()) throw DeviceError("The audio input \"" + setting + "\" names no device");
  } else {
    throw DeviceError("The audio input \"" + setting +
                      "\" names no audio system (it begins with jack:, pulse: or alsa:; ntr --list-devices lists them)");
  }
  return options;
}

void CheckAudioInputThere(const std::string& setting) {
  const AudioInputOptions options = AudioInputOptionsOf(setting);
  if (setting.empty()) return;
  QuietDeviceLibraries();
  std::vector<std::string> missing;
  if (options.api == "jack") {
    const std::vector<std::string> ports = JackRecordablePorts();
    for (const std::string& port : options.jackSources) {
      if (std::find(ports.begin(), ports.end(), port) == ports.end()) missing.push_back(port);
    }
  } else {
    const std::vector<std::string> devices =
        InputDevicesOf(options.api == "pulse" ? RtAudio::LINUX_PULSE : RtAudio::LINUX_ALSA);
    if (std::find(devices.begin(), devices.end(), options.device) == devices.end()) missing.push_back(options.device);
  }
  if (missing.empty()) return;
  throw DeviceError("The audio input chosen for the run is not there: " + Named(setting) + " (missing: " +
                    Joined(missing, ", ") +
                    "). Connect it and start again, or choose another under File > Audio Input "
                    "(ntr --list-devices lists the inputs there are).");
}

}  // namespace ntr
