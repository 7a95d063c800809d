// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the input meter shows from the reads of an input: the peak, falling
// back slowly as meters do; the RMS of the last read; a clip indicator that
// holds until it is reset; and the noise floor, the quietest read since the
// input was chosen. Plain C++; the user-interface thread.

#include <optional>

#include "engine/input_meter_port.h"

namespace ntr::session {

// How far the shown peak may fall from one read to the next.
inline constexpr double kPeakFallDbPerRead = 1.5;

class InputLevelMeter {
 public:
  void Add(const InputMeterReading& reading);
  void Reset();  // a new input: nothing held
  void ResetClip() { clipHeld_ = false; }
  void HoldClip() { clipHeld_ = true; }  // a take of a run clipped

  double PeakDbfs() const { return peakDbfs_; }
  double RmsDbfs() const { return rmsDbfs_; }
  bool ClipHeld() const { return clipHeld_; }
  std::optional<double> NoiseFloorDbfs() const { return noiseFloorDbfs_; }

 private:
  double peakDbfs_ = kSilenceFloorDbfs;
  double rmsDbfs_ = kSilenceFloorDbfs;
  bool clipHeld_ = false;
  std::optional<double> noiseFloorDbfs_;
};

}  // namespace ntr::session
