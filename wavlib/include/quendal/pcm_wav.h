// SPDX-License-Identifier: MIT
#pragma once
// Making a plain PCM (or IEEE float) WAV file from samples: the one place
// where the header of a new recording is built. A client hands over the
// sample bytes and their layout; the library builds the chunks and checks the
// sizes.

#include <cstdint>
#include <memory>
#include <string>

#include "quendal/wav.h"
#include "quendal/wav_export.h"

namespace quendal {

// The layout of interleaved little-endian PCM samples (8-bit unsigned, 16,
// 24 and 32-bit signed), as the format chunk states it.
struct PcmFormat {
  int32_t SampleRate = 0;     // frames per second, 1 or more
  int32_t BitsPerSample = 0;  // 8, 16, 24 or 32
  int32_t ChannelsNumber = 0; // 1 to 65535
};

// A model of the file: "RIFF"/"WAVE", a 16-byte "fmt " chunk (format code 1,
// block alignment and bytes per second computed) and a "data" chunk holding
// pcmBytes (one char per byte). Throws InvalidValueError for a format outside
// the ranges above or bytes that are not whole frames, OverflowError when the
// file would be larger than a WAV file can be (a RIFF size above 2147483647).
QUENDAL_WAV_API std::unique_ptr<Wav> MakePcmWav(const PcmFormat& format, std::string pcmBytes);

// Makes the model and writes it to path, replacing a file of that name as
// Wav::PutWavFile does. Throws as MakePcmWav does and as PutWavFile does.
QUENDAL_WAV_API void SavePcmWav(const std::string& path, const PcmFormat& format, std::string pcmBytes);

// The same for interleaved little-endian 32-bit IEEE float samples (full
// scale +-1; BitsPerSample must be 32): an 18-byte "fmt " chunk (format code
// 3, no extra format bytes), a "fact" chunk holding the number of sample
// frames, and the "data" chunk, as the float files of other programs have
// them. Throws as MakePcmWav does.
QUENDAL_WAV_API std::unique_ptr<Wav> MakeFloatWav(const PcmFormat& format, std::string floatBytes);
QUENDAL_WAV_API void SaveFloatWav(const std::string& path, const PcmFormat& format, std::string floatBytes);

}  // namespace quendal
