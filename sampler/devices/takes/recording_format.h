// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Checks of the recording format the window hands to a recorder.

#include "engine/ports.h"

namespace ntr {

// Throws DeviceError naming the value a recorder cannot produce: a rate outside
// 1000..384000 samples per second, a sample size other than 8, 16, 24 or 32
// (float) bits, a channel count other than 1 or 2.
void CheckRecordingFormat(const RecordingFormat& format);

}  // namespace ntr
