// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/recorders/audio_source_choice.h"

#include <RtAudio.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "devices/quiet_libraries.h"
#include "devices/recorders/jack_capture_ports.h"
#include "engine/ports.h"

namespace ntr {

namespace {

std::vector<RtAudio::Api> ApisToTry(const AudioInputOptions& options) {
  std::string wanted = options.api;
  if (wanted.empty()) {
    if (const char* fromEnvironment = std::getenv("NTR_AUDIO_API")) wanted = fromEnvironment;
  }
  std::vector<RtAudio::Api> compiled;
  RtAudio::getCompiledApi(compiled);
  if (!wanted.empty()) {
    const RtAudio::Api api = RtAudio::getCompiledApiByName(wanted);
    if (api == RtAudio::UNSPECIFIED) {
      throw DeviceError("Unknown audio system \"" + wanted + "\" (this build knows jack, pulse and alsa)");
    }
    return {api};
  }
  std::vector<RtAudio::Api> order;
  for (const RtAudio::Api api : {RtAudio::UNIX_JACK, RtAudio::LINUX_PULSE, RtAudio::LINUX_ALSA}) {
    if (std::find(compiled.begin(), compiled.end(), api) != compiled.end()) order.push_back(api);
  }
  for (const RtAudio::Api api : compiled) {  // other platforms' systems, in the library's order
    if (std::find(order.begin(), order.end(), api) == order.end() && api != RtAudio::RTAUDIO_DUMMY) {
      order.push_back(api);
    }
  }
  return order;
}

std::optional<RtAudio::DeviceInfo> InfoOf(RtAudio& audio, unsigned device) {
  try {
    RtAudio::DeviceInfo info = audio.getDeviceInfo(device);
    if (info.probed) return info;
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

std::vector<std::string> JackSourcesWanted(const AudioInputOptions& options) {
  if (!options.jackSources.empty()) return options.jackSources;
  if (const char* fromEnvironment = std::getenv("NTR_JACK_CAPTURE_PORTS")) {
    std::vector<std::string> ports = SplitPortList(fromEnvironment);
    if (!ports.empty()) return ports;
  }
  return JackPhysicalCapturePorts();
}

// JACK: the ports decide the channels; the device is only the audio library's
// view of the client that owns them, opened without automatic connections.
std::optional<AudioSourceChoice> ChooseOnJack(RtAudio& audio, unsigned count, const AudioInputOptions& options,
                                              std::string& whyNot) {
  std::vector<std::string> sources = JackSourcesWanted(options);
  if (sources.empty()) {
    whyNot = "the JACK server has no capture ports";
    return std::nullopt;
  }
  if (sources.size() > 2) sources.resize(2);
  const auto channels = static_cast<unsigned>(sources.size());
  std::optional<AudioSourceChoice> fallback;
  for (unsigned device = 0; device < count; ++device) {
    const auto info = InfoOf(audio, device);
    if (!info || info->inputChannels < channels) continue;
    AudioSourceChoice choice{RtAudio::UNIX_JACK, "JACK", device, info->name, channels,
                             DeviceRate(info->preferredSampleRate, info->sampleRates), sources};
    if (info->name == JackClientOf(sources.front())) return choice;
    if (!fallback) fallback = choice;
  }
  if (!fallback) whyNot = "no JACK client offers " + std::to_string(channels) + " capture channels";
  return fallback;
}

// The device named in the options (PulseAudio: a source's description;
// ALSA: a device's name), else the default input.
std::optional<AudioSourceChoice> ChooseDefaultInput(RtAudio& audio, RtAudio::Api api, unsigned count,
                                                    const AudioInputOptions& options, std::string& whyNot) {
  const bool named = !options.device.empty();
  std::vector<unsigned> order{audio.getDefaultInputDevice()};
  for (unsigned device = 0; device < count; ++device) order.push_back(device);
  for (const unsigned device : order) {
    if (device >= count) continue;
    const auto info = InfoOf(audio, device);
    if (!info || info->inputChannels == 0 || (named && info->name != options.device)) continue;
    return AudioSourceChoice{api,
                             RtAudio::getApiDisplayName(api),
                             device,
                             info->name,
                             std::min(info->inputChannels, 2u),
                             DeviceRate(info->preferredSampleRate, info->sampleRates),
                             {}};
  }
  whyNot = named ? "no input device \"" + options.device + "\"" : "no device with an input";
  return std::nullopt;
}

}  // namespace

unsigned DeviceRate(unsigned preferred, const std::vector<unsigned>& offered) {
  if (preferred != 0) return preferred;
  for (const unsigned common : {48000u, 44100u}) {
    if (std::find(offered.begin(), offered.end(), common) != offered.end()) return common;
  }
  return offered.empty() ? 0 : *std::max_element(offered.begin(), offered.end());
}

AudioSourceChoice ChooseAudioSource(const AudioInputOptions& options) {
  QuietDeviceLibraries();
  std::string tried;
  for (const RtAudio::Api api : ApisToTry(options)) {
    const std::string name = RtAudio::getApiDisplayName(api);
    std::string whyNot = "not available";
    try {
      RtAudio audio(api);
      audio.showWarnings(false);  // probing systems that are not running is expected
      const unsigned count = audio.getDeviceCount();
      if (count == 0) {
        whyNot = api == RtAudio::UNIX_JACK ? "no server running" : "no devices";
      } else {
        auto choice = api == RtAudio::UNIX_JACK ? ChooseOnJack(audio, count, options, whyNot)
                                                : ChooseDefaultInput(audio, api, count, options, whyNot);
        if (choice) return *choice;
      }
    } catch (const std::exception& e) {
      whyNot = e.what();
    }
    tried += (tried.empty() ? "" : "; ") + name + ": " + whyNot;
  }
  throw DeviceError("No audio input device found (" + tried + ")");
}

}  // namespace ntr
