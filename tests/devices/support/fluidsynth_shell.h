// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// fluidsynth's command shell over TCP, to ask the test's instrument what it
// received (e.g. "channels" lists the instrument on each MIDI channel).

#include <map>
#include <string>

namespace ntr::test {

// Sends one command and returns what fluidsynth answers ("" when unreachable).
std::string AskFluidSynth(int port, const std::string& command);

// "chan 0, Piano 1" lines of the "channels" answer, by channel.
std::map<int, std::string> FluidSynthChannels(int port);

}  // namespace ntr::test
