// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/takes/finished_take.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "engine/takes/sample_paths.h"
#include "engine/takes/take_pitch.h"
#include "quendal/wav.h"

namespace ntr {

bool IsFinishedTake(const std::string& file, const RecordingFormat& format, bool embedNote, int note) {
  std::error_code error;
  const auto size = std::filesystem::file_size(PathFromUtf8(file), error);
  if (error) return false;
  // The header and the chunk list decide; the samples stay on disk, so a
  // resumed run checks thousands of takes in moments.
  quendal::Wav wav;
  quendal::WavSampleBody samples;
  try {
    if (wav.GetWavFileWithoutSamples(file, samples) != 0) return false;
  } catch (const std::exception&) {
    return false;
  }
  const quendal::WavFmt& fmt = *wav.Fmt_Chunk;
  const quendal::WavChunk& data = *wav.DataChunk;
  const bool whole = static_cast<std::uintmax_t>(wav.FileHeader->ChunkSize) + 8 <= size && data.ChunkId == "data" &&
                     data.ChunkSize >= 0 && samples.BytesInFile == data.ChunkSize;
  const bool sameFormat = CodingOf(fmt.CompressionCode, fmt.BitsPerSample) == CodingOf(format) &&
                          fmt.SampleRate == format.samplesPerSec && fmt.ChannelsNumber == format.channels;
  // A tuned take's chunk may name the note below, with most of a semitone above it.
  const bool tagged =
      !embedNote || (wav.SmplChunk->ChunkId == "smpl" &&
                     KeyPitchOf(wav.SmplChunk->MIDIUnityNote, wav.SmplChunk->MIDIPitchFraction).key == note);
  return whole && sameFormat && tagged;
}

}  // namespace ntr
