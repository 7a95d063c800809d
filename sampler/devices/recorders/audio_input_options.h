// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the sound-card recorder takes its audio from.

#include <string>
#include <vector>

namespace ntr {

struct AudioInputOptions {
  // The audio system: "jack", "pulse" or "alsa". Empty: the environment
  // variable NTR_AUDIO_API, else JACK when a server runs, else PulseAudio,
  // else ALSA (the first that offers an input).
  std::string api;
  // JACK only: the ports to record from, one per channel (two at most).
  // Empty: the environment variable NTR_JACK_CAPTURE_PORTS ("a:x,b:y"),
  // else the server's physical capture ports.
  std::vector<std::string> jackSources;
  // PulseAudio and ALSA: the input device's name as the audio library lists
  // it (PulseAudio: the source's description). Empty: the default input.
  std::string device;
  // Room between the audio thread and the take, in seconds of audio.
  double ringSeconds = 2.0;

  bool operator==(const AudioInputOptions&) const = default;
};

}  // namespace ntr
