// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Giving a take its unity note: the sampler chunk ("smpl") that tells a
// software sampler which key the sample belongs to.

#include <stdexcept>
#include <string>

namespace ntr {

// The recording could not be read, is not a WAV file, or the tagged file
// could not be written. The message says which and why.
class EmbedError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the recording, gives it a sampler chunk whose unity note is `note`
// (a chunk it already has keeps every other field, loops included) and writes
// the result to targetFile, replacing a file of that name only once the new
// one is complete. The recording itself is left for the caller to remove:
// when this throws, the caller still has the untagged take.
void EmbedUnityNote(const std::string& recordingFile, const std::string& targetFile, int note);

}  // namespace ntr
