// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The audio and MIDI libraries print to stderr on their own ("jack server is
// not running", "ALSA lib ... open /dev/snd/seq failed") whenever a system is
// probed that is not there, which is the usual case on start-up. The device
// layer finds such failures itself and reports them through DeviceError and
// LastOpenError, so these library messages are dropped.

#include <string>

namespace ntr {

// Installs silent handlers in libjack and the ALSA library (once per process;
// any thread).
void QuietDeviceLibraries();

// Whether the JACK / ALSA sequencer MIDI system can be used now, asked without
// the libraries printing anything; `whyNot` says why not. Other systems: true.
bool MidiSystemReachable(int rtMidiApi, std::string& whyNot);

}  // namespace ntr
