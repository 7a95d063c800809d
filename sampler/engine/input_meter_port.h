// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An audio input watched for its level, before a run sets the recording
// levels blind (AudioInputMeter for the real inputs; tests give a fake).
// Called from the user-interface thread only.

#include <cstddef>
#include <string>
#include <vector>

#include "engine/ports.h"
#include "engine/takes/take_analysis.h"

namespace ntr {

// What the input held between two reads.
struct InputMeterReading {
  std::size_t frames = 0;  // none: nothing arrived
  double peakDbfs = kSilenceFloorDbfs;
  double rmsDbfs = kSilenceFloorDbfs;
  bool clipped = false;  // a run of samples at full scale
};

class InputMeterPort {
 public:
  virtual ~InputMeterPort() = default;
  // The inputs there are now, as "Audio Input" lists them.
  virtual std::vector<AudioInputEntry> AudioInputs() = 0;
  // Watches the input a setting names ("" : the default), instead of the one
  // watched before. Throws DeviceError when it cannot be opened.
  virtual void Open(const std::string& setting) = 0;
  virtual InputMeterReading Read() = 0;
  virtual void Close() = 0;
  // "Pulse, Monitor of Null Output, 1 channel(s) at 48000 Hz"; "" when closed.
  virtual std::string Description() const = 0;
};

}  // namespace ntr
