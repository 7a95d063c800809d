#include "devices/common/wav_saving.h"

#include <quendal/wav.h>

#include <cstdint>
#include <limits>
#include <stdexcept>

namespace ntr {

void SavePcmWav(const std::string& path, const RecordingFormat& format, const std::string& pcmBytes) {
  // RIFF sizes are 32-bit; keep the whole file (header 36 bytes) within them.
  if (pcmBytes.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()) - 36) {
    throw DeviceError("The recording is too long to be saved as a WAV file: " + path);
  }
  const int32_t blockAlign = format.channels * (format.bitsPerSample / 8);

  quendal::Wav wav;
  wav.FileHeader->ChunkId = "RIFF";
  wav.FileHeader->ChunkData = "WAVE";
  wav.FileHeader->ChunkSize = static_cast<int32_t>(36 + pcmBytes.size());

  auto& fmt = *wav.Fmt_Chunk;
  fmt.ChunkId = "fmt ";
  fmt.ChunkSize = 16;
  fmt.CompressionCode = 1;
  fmt.ChannelsNumber = format.channels;
  fmt.SampleRate = format.samplesPerSec;
  fmt.BytesPerSecond = format.samplesPerSec * blockAlign;
  fmt.BytesPerSample = blockAlign;
  fmt.BitsPerSample = format.bitsPerSample;

  wav.DataChunk->ChunkId = "data";
  wav.DataChunk->ChunkSize = static_cast<int32_t>(pcmBytes.size());
  wav.DataChunk->ChunkData = pcmBytes;

  int16_t result = 0;
  try {
    result = wav.PutWavFile(path, true);
  } catch (const std::exception& e) {
    throw DeviceError("Couldn't save the recording " + path + ": " + e.what());
  }
  if (result != 0) throw DeviceError("The recording was not saved: " + path);
}

}  // namespace ntr
