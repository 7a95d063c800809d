// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The audio inputs an external instrument can be recorded from, and what a
// stored choice of one means. A choice is kept as text:
//   "jack:<port>[,<port>]"  JACK ports, one per channel (a stereo pair, or one)
//   "pulse:<description>"   a PulseAudio or PipeWire source, as the desktop names it
//   "alsa:<device name>"    an ALSA capture device as the audio library names it
//   ""                      the audio system's default input

#include <string>
#include <vector>

#include "devices/recorders/audio_input_options.h"
#include "engine/ports.h"

namespace ntr {

// What every running audio system offers now: JACK's recordable ports in
// pairs by client (an odd last port alone), PulseAudio's sources by their
// description, ALSA's capture devices. Systems that are not running add nothing.
std::vector<AudioInputEntry> ListAudioInputs();

// The recorder's options for a choice. Throws DeviceError for a text that
// names no audio system or no input.
AudioInputOptions AudioInputOptionsOf(const std::string& setting);

// Throws DeviceError naming the chosen input when it is not there now
// ("" always is).
void CheckAudioInputThere(const std::string& setting);

}  // namespace ntr
