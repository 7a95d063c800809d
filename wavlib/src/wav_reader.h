// SPDX-License-Identifier: MIT
#pragma once
// Reading a RIFF WAVE file into the chunk model (Wav::GetWavFile).

#include <cstdint>

#include "quendal/wav.h"
#include "wav_file_stream.h"

namespace quendal::detail {

// Reads from the start of in to its end. Returns 0, 1 (not "RIFF") or
// 2 (not "WAVE"); throws a WavError for every other failure, leaving in the
// model what was read before it.
int16_t ReadWav(Wav& wav, WavFileStream& in);

}  // namespace quendal::detail
