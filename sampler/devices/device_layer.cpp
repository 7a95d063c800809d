// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/device_layer.h"

#include "devices/quiet_libraries.h"

namespace ntr {

DeviceLayer::DeviceLayer(ClockPort& clock, SynthOptions synthOptions, AudioInputOptions inputOptions)
    : synthClock_(clock),
      synth_(synthClock_, std::move(synthOptions)),
      midi_(synth_, &synthClock_),
      synthRecorder_(synth_),
      inputRecorder_(std::move(inputOptions)),
      recorder_(midi_, synthRecorder_, inputRecorder_) {
  QuietDeviceLibraries();
}

}  // namespace ntr
