// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/input_level_meter.h"

#include <algorithm>

namespace ntr::session {

void InputLevelMeter::Add(const InputMeterReading& reading) {
  if (reading.frames == 0) return;  // nothing arrived: what is shown stands
  peakDbfs_ = std::max(reading.peakDbfs, std::max(peakDbfs_ - kPeakFallDbPerRead, kSilenceFloorDbfs));
  rmsDbfs_ = reading.rmsDbfs;
  clipHeld_ = clipHeld_ || reading.clipped;
  noiseFloorDbfs_ = std::min(noiseFloorDbfs_.value_or(reading.rmsDbfs), reading.rmsDbfs);
}

void InputLevelMeter::Reset() { *this = InputLevelMeter(); }

}  // namespace ntr::session
