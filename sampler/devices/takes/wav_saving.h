// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writing a take as a PCM (or, at 32 bits, IEEE float) WAV file through
// QuendalWav (quendal::SavePcmWav / SaveFloatWav), replacing a file of the
// same name.

#include <string>

#include "engine/ports.h"

namespace ntr {

// pcmBytes holds little-endian samples of format (one char per byte).
// Throws DeviceError when the file cannot be written or would be too large.
void SavePcmWav(const std::string& path, const RecordingFormat& format, const std::string& pcmBytes);

}  // namespace ntr
