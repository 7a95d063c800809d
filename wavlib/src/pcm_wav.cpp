#include "quendal/pcm_wav.h"

#include <limits>
#include <utility>

#include "quendal/wav_errors.h"

namespace quendal {

namespace {

constexpr int64_t kHeaderBytes = 36;  // form type, format chunk, data chunk header

void CheckFormat(const PcmFormat& format) {
  const bool bitsOk = format.BitsPerSample == 8 || format.BitsPerSample == 16 || format.BitsPerSample == 24 ||
                      format.BitsPerSample == 32;
  if (format.SampleRate < 1 || !bitsOk || format.ChannelsNumber < 1 || format.ChannelsNumber > 65535) {
    throw InvalidValueError("no PCM WAV file has " + std::to_string(format.SampleRate) + " frames per second of " +
                            std::to_string(format.ChannelsNumber) + " channels of " +
                            std::to_string(format.BitsPerSample) + " bits");
  }
}

}  // namespace

std::unique_ptr<Wav> MakePcmWav(const PcmFormat& format, std::string pcmBytes) {
  CheckFormat(format);
  const int64_t blockAlign = int64_t{format.ChannelsNumber} * (format.BitsPerSample / 8);
  const int64_t bytesPerSecond = blockAlign * format.SampleRate;
  const auto dataBytes = static_cast<int64_t>(pcmBytes.size());
  if (blockAlign > std::numeric_limits<uint16_t>::max() || bytesPerSecond > std::numeric_limits<int32_t>::max()) {
    throw InvalidValueError("a frame of " + std::to_string(blockAlign) + " bytes at " +
                            std::to_string(format.SampleRate) + " frames per second does not fit a format chunk");
  }
  if (dataBytes % blockAlign != 0) {
    throw InvalidValueError(std::to_string(dataBytes) + " sample bytes are no whole number of " +
                            std::to_string(blockAlign) + "-byte frames");
  }
  if (dataBytes > std::numeric_limits<int32_t>::max() - kHeaderBytes - 1) {
    throw OverflowError(std::to_string(dataBytes) + " sample bytes are more than a WAV file can hold");
  }

  auto wav = std::make_unique<Wav>();
  wav->FileHeader->ChunkId = "RIFF";
  wav->FileHeader->ChunkData = "WAVE";
  WavFmt& fmt = *wav->Fmt_Chunk;
  fmt.ChunkId = "fmt ";
  fmt.ChunkSize = 16;
  fmt.CompressionCode = 1;
  fmt.ChannelsNumber = format.ChannelsNumber;
  fmt.SampleRate = format.SampleRate;
  fmt.BytesPerSecond = static_cast<int32_t>(bytesPerSecond);
  fmt.BytesPerSample = static_cast<int32_t>(blockAlign);
  fmt.BitsPerSample = format.BitsPerSample;
  wav->DataChunk->ChunkId = "data";
  wav->DataChunk->ChunkSize = static_cast<int32_t>(dataBytes);
  wav->DataChunk->ChunkData = std::move(pcmBytes);
  return wav;
}

void SavePcmWav(const std::string& path, const PcmFormat& format, std::string pcmBytes) {
  MakePcmWav(format, std::move(pcmBytes))->PutWavFile(path, true);
}

}  // namespace quendal
