// SPDX-License-Identifier: MIT
#pragma once
// Writing the chunk model to a RIFF WAVE file (Wav::PutWavFile).

#include <cstdint>
#include <memory>
#include <string>

#include "quendal/wav.h"
#include "wav_file_stream.h"

namespace quendal::detail {

// Writes wav to path through a temporary file in the same folder that is
// renamed into place (or in place, when no temporary file can be made there
// and the target may be written; a target the user may not write is refused). stream is the Wav's own stream slot: it holds the
// temporary file while it is written. Returns 0, or 1 when the file exists,
// overwrite is false and askOverwrite (if any) does not answer Yes.
int16_t WriteWav(Wav& wav, std::unique_ptr<WavFileStream>& stream, const std::string& path, bool overwrite,
                 const OverwriteQuestion& askOverwrite);

// The chunks of wav written to an open stream, which is closed at the end
// (the RIFF size in the model's header is set first). Throws a WavError for
// sizes no file can have.
void WriteWavTo(Wav& wav, WavFileStream& stream);

}  // namespace quendal::detail
