// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/unity_note_embedding.h"

#include <exception>

#include "quendal/wav.h"
#include "quendal/unity_note.h"

namespace ntr {

void EmbedUnityNote(const std::string& recordingFile, const std::string& targetFile, int note) {
  quendal::Wav wav;
  try {
    switch (wav.GetWavFile(recordingFile)) {
      case 0: break;
      case 1: throw EmbedError("the recording \"" + recordingFile + "\" is not a RIFF file");
      case 2: throw EmbedError("the recording \"" + recordingFile + "\" is not a WAVE file");
      default: throw EmbedError("the recording \"" + recordingFile + "\" could not be read");
    }
  } catch (const EmbedError&) {
    throw;
  } catch (const std::exception& error) {
    throw EmbedError("the recording \"" + recordingFile + "\" could not be read: " + error.what());
  }

  try {
    quendal::ApplyUnityNote(wav, note);
  } catch (const std::exception& error) {
    throw EmbedError(std::string("the sampler chunk could not be made: ") + error.what());
  }

  try {
    if (wav.PutWavFile(targetFile, true) != 0) {
      throw EmbedError("\"" + targetFile + "\" was not written");
    }
  } catch (const EmbedError&) {
    throw;
  } catch (const std::exception& error) {
    throw EmbedError("\"" + targetFile + "\" could not be written: " + error.what());
  }
}

}  // namespace ntr
