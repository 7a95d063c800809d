// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/takes/recording_format.h"

#include <string>

namespace ntr {

void CheckRecordingFormat(const RecordingFormat& format) {
  if (format.samplesPerSec < 1000 || format.samplesPerSec > 384000) {
    throw DeviceError("Unsupported sample rate: " + std::to_string(format.samplesPerSec) + " samples per second");
  }
  const int bits = format.bitsPerSample;
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    throw DeviceError("Unsupported sample size: " + std::to_string(bits) +
                      " bits (8, 16, 24 or 32 float are possible)");
  }
  if (format.channels != 1 && format.channels != 2) {
    throw DeviceError("Unsupported channel count: " + std::to_string(format.channels) + " (1 or 2 are possible)");
  }
}

}  // namespace ntr
