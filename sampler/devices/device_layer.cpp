#include "devices/device_layer.h"

#include "devices/common/quiet_libraries.h"

namespace ntr {

DeviceLayer::DeviceLayer(ClockPort& clock, SynthOptions synthOptions, AudioInputOptions inputOptions)
    : synth_(clock, std::move(synthOptions)),
      midi_(synth_),
      synthRecorder_(synth_),
      inputRecorder_(std::move(inputOptions)),
      recorder_(midi_, synthRecorder_, inputRecorder_) {
  QuietDeviceLibraries();
}

}  // namespace ntr
