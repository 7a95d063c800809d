// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A whole sampling run of the engine on the real devices, as the program wires
// them: the device layer's MIDI output and recorder, one clock for all.

#include <string>
#include <vector>

#include "devices/device_layer.h"
#include "engine/ports.h"
#include "engine/run/run_settings.h"
#include "engine/run/run_state.h"

namespace ntr::test {

struct EngineRun {
  RunResult result;
  std::vector<std::string> messages;  // what the run showed the user
  std::vector<std::string> files;     // the .WAV files under the save folder, sorted
};

// Runs notes (MIDI numbers within one octave of 12) with the given timing and
// settings; `settings.saveFolder` must be set. The MIDI device is whatever
// devices.Midi() has selected. `observer`, when given, watches the run.
EngineRun RunEngine(DeviceLayer& devices, ClockPort& clock, PlainRunSettings settings,
                    const std::vector<int>& notes, const std::string& durationMs, const std::string& decayMs,
                    RunObserver* observer = nullptr);

}  // namespace ntr::test
