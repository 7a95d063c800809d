// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// `ntr --list-devices`: the MIDI outputs and the audio inputs there are now,
// each with what `--set` takes to choose it.

#include <string>

#include "engine/ports.h"

namespace ntr::batch {

std::string DeviceListText(MidiDevicesPort& midi, RecorderPort& recorder);

// Lists the real devices on standard output; returns the exit status.
int ListDevices();

}  // namespace ntr::batch
