// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Choosing the audio system and input device a take is recorded from.

#include <string>
#include <vector>

#include "devices/recorders/audio_input_options.h"

namespace ntr {

struct AudioSourceChoice {
  int api = 0;                           // RtAudio::Api
  std::string apiName;                   // for messages: "Jack", "Pulse", "ALSA"
  unsigned device = 0;                   // RtAudio device index
  std::string deviceName;
  unsigned channels = 0;                 // captured channels, 1 or 2
  unsigned sampleRate = 0;               // the device's own rate
  std::vector<std::string> jackSources;  // JACK: the port feeding each channel
};

// Throws DeviceError when no audio system offers an input ("No audio input
// device found", with what was tried and why each was passed over).
AudioSourceChoice ChooseAudioSource(const AudioInputOptions& options);

// The device's own rate from its offered rates: the preferred one, else
// 48000 or 44100 when offered, else the highest; 0 when nothing is known.
unsigned DeviceRate(unsigned preferred, const std::vector<unsigned>& offered);

}  // namespace ntr
