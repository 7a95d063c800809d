#pragma once
// The library's reader and writer over bytes in memory, for the fuzzing
// targets (built against the static library, whose internals they reach).

#include <optional>
#include <string>

#include "quendal/wav.h"
#include "quendal/wav_errors.h"
#include "wav_file_stream.h"
#include "wav_reader.h"
#include "wav_writer.h"

namespace quendal::fuzz {

// Reads bytes into wav, as GetWavFile reads a file that holds them: the
// result code (0, 1, 2), or -1 for a WavError.
inline int Read(Wav& wav, const std::string& bytes) {
  try {
    const auto in = detail::WavFileStream::ReadFromMemory(bytes);
    return detail::ReadWav(wav, *in);
  } catch (const WavError&) {
    return -1;
  }
}

// The bytes PutWavFile would write for wav; none for a WavError.
inline std::optional<std::string> Write(Wav& wav) {
  std::string out;
  try {
    const auto stream = detail::WavFileStream::WriteToMemory(out);
    detail::WriteWavTo(wav, *stream);
  } catch (const WavError&) {
    return std::nullopt;
  }
  return out;
}

}  // namespace quendal::fuzz
