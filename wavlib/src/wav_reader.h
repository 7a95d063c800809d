// SPDX-License-Identifier: MIT
#pragma once
// Reading a RIFF WAVE file into the chunk model (Wav::GetWavFile).

#include <cstdint>

#include "quendal/wav.h"
#include "wav_file_stream.h"

namespace quendal::detail {

// Reads from the start of in to its end. Returns 0, 1 (not "RIFF") or
// 2 (not "WAVE"); throws a WavError for every other failure, leaving in the
// model what was read before it. With samples set, the bodies of "data"
// chunks are passed over instead of read, and *samples tells where the last
// one lies (Wav::GetWavFileWithoutSamples).
int16_t ReadWav(Wav& wav, WavFileStream& in, WavSampleBody* samples = nullptr);

}  // namespace quendal::detail
