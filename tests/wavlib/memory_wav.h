// SPDX-License-Identifier: MIT
#pragma once
// The library's reader and writer over bytes in memory, for the fuzzing
// targets (built against the static library, whose internals they reach):
// the same stream operations a file gets, over the C library's memory streams.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "quendal/wav.h"
#include "quendal/wav_errors.h"
#include "wav_file_stream.h"
#include "wav_reader.h"
#include "wav_writer.h"

namespace quendal::fuzz {

// Reads bytes into wav, as GetWavFile reads a file that holds them: the
// result code, or -1 for a WavError (and for no bytes, which no file stream
// reads). Any other result is a finding and stops the fuzzer.
inline int Read(Wav& wav, const std::string& bytes) {
  if (bytes.empty()) return -1;
  int result = -1;
  try {
    const auto in = detail::WavFileStream::Adopt(::fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb"),
                                                 "(memory)", static_cast<int64_t>(bytes.size()));
    result = detail::ReadWav(wav, *in);
  } catch (const WavError&) {
    return -1;
  }
  if (result < 0 || result > 2) __builtin_trap();
  return result;
}

// The bytes PutWavFile would write for wav; none for a WavError.
inline std::optional<std::string> Write(Wav& wav) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::optional<std::string> out;
  try {
    const auto stream = detail::WavFileStream::Adopt(::open_memstream(&buffer, &size), "(memory)", 0);
    detail::WriteWavTo(wav, *stream);  // closes the stream: buffer and size are final
    out.emplace(buffer, size);
  } catch (const WavError&) {
  }
  std::free(buffer);
  return out;
}

}  // namespace quendal::fuzz
