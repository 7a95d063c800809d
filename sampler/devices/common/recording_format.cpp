#include "devices/common/recording_format.h"

#include <string>

namespace ntr {

void CheckRecordingFormat(const RecordingFormat& format) {
  if (format.samplesPerSec < 1000 || format.samplesPerSec > 384000) {
    throw DeviceError("Unsupported sample rate: " + std::to_string(format.samplesPerSec) +
                      " samples per second");
  }
  if (format.bitsPerSample != 8 && format.bitsPerSample != 16) {
    throw DeviceError("Unsupported sample size: " + std::to_string(format.bitsPerSample) +
                      " bits (8 or 16 are possible)");
  }
  if (format.channels != 1 && format.channels != 2) {
    throw DeviceError("Unsupported channel count: " + std::to_string(format.channels) +
                      " (1 or 2 are possible)");
  }
}

}  // namespace ntr
