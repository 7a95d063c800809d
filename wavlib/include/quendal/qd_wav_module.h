// SPDX-License-Identifier: MIT
#pragma once
// The number conversions and the format-name table that reader and writer share.

#include <cstdint>
#include <string>
#include <string_view>

#include "quendal/wav_export.h"

namespace quendal::QDWavModule {

// An unsigned little-endian number of up to four bytes as a 32-bit signed value.
// Fewer bytes than the field (the file ended) are converted as they are.
// Throws OverflowError for 2147483648 or more.
QUENDAL_WAV_API int32_t BytesToLong(std::string_view bytes);

// Exactly width bytes: the value's base-256 digits, least significant first,
// then zero bytes; higher digits are dropped. Zero or below gives zero bytes.
QUENDAL_WAV_API std::string LongToBytes(int32_t value, int width);

// The readable name of a format code ("PCM / uncompressed" for 1, ...,
// "Unknown" for codes not in the table).
QUENDAL_WAV_API std::string CompressionDesc(int32_t compressionCode);

}  // namespace quendal::QDWavModule
