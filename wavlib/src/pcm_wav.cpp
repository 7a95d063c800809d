// SPDX-License-Identifier: MIT
#include "quendal/pcm_wav.h"

#include <limits>
#include <utility>

#include "quendal/wav_errors.h"

namespace quendal {

namespace {

constexpr int32_t kPcmCode = 1;
constexpr int32_t kFloatCode = 3;

void CheckFormat(const PcmFormat& format, bool bitsOk, const char* kind) {
  if (format.SampleRate < 1 || !bitsOk || format.ChannelsNumber < 1 || format.ChannelsNumber > 65535) {
    throw InvalidValueError(std::string("no ") + kind + " WAV file has " + std::to_string(format.SampleRate) +
                            " frames per second of " + std::to_string(format.ChannelsNumber) + " channels of " +
                            std::to_string(format.BitsPerSample) + " bits");
  }
}

// The model of a file of one format code: a PCM file as it always was (a
// 16-byte format chunk, no "fact"), a float file with the 18-byte format
// chunk and the "fact" chunk that non-PCM files carry.
std::unique_ptr<Wav> MakeWav(const PcmFormat& format, std::string sampleBytes, int32_t code) {
  const bool isFloat = code == kFloatCode;
  // Form type, format chunk, data chunk header; a float file's longer format chunk and its "fact" chunk.
  const int64_t headerBytes = isFloat ? 36 + 2 + 12 : 36;
  const int64_t blockAlign = int64_t{format.ChannelsNumber} * (format.BitsPerSample / 8);
  const int64_t bytesPerSecond = blockAlign * format.SampleRate;
  const auto dataBytes = static_cast<int64_t>(sampleBytes.size());
  if (blockAlign > std::numeric_limits<uint16_t>::max() || bytesPerSecond > std::numeric_limits<int32_t>::max()) {
    throw InvalidValueError("a frame of " + std::to_string(blockAlign) + " bytes at " +
                            std::to_string(format.SampleRate) + " frames per second does not fit a format chunk");
  }
  if (dataBytes % blockAlign != 0) {
    throw InvalidValueError(std::to_string(dataBytes) + " sample bytes are no whole number of " +
                            std::to_string(blockAlign) + "-byte frames");
  }
  if (dataBytes > std::numeric_limits<int32_t>::max() - headerBytes - 1) {
    throw OverflowError(std::to_string(dataBytes) + " sample bytes are more than a WAV file can hold");
  }

  auto wav = std::make_unique<Wav>();
  wav->FileHeader->ChunkId = "RIFF";
  wav->FileHeader->ChunkData = "WAVE";
  WavFmt& fmt = *wav->Fmt_Chunk;
  fmt.ChunkId = "fmt ";
  fmt.ChunkSize = isFloat ? 18 : 16;
  fmt.CompressionCode = code;
  fmt.ChannelsNumber = format.ChannelsNumber;
  fmt.SampleRate = format.SampleRate;
  fmt.BytesPerSecond = static_cast<int32_t>(bytesPerSecond);
  fmt.BytesPerSample = static_cast<int32_t>(blockAlign);
  fmt.BitsPerSample = format.BitsPerSample;
  if (isFloat) {
    wav->FactChunk->ChunkId = "fact";
    wav->FactChunk->ChunkSize = 4;
    wav->FactChunk->SamplesNumber = static_cast<int32_t>(dataBytes / blockAlign);
  }
  wav->DataChunk->ChunkId = "data";
  wav->DataChunk->ChunkSize = static_cast<int32_t>(dataBytes);
  wav->DataChunk->ChunkData = std::move(sampleBytes);
  return wav;
}

}  // namespace

std::unique_ptr<Wav> MakePcmWav(const PcmFormat& format, std::string pcmBytes) {
  const int32_t bits = format.BitsPerSample;
  CheckFormat(format, bits == 8 || bits == 16 || bits == 24 || bits == 32, "PCM");
  return MakeWav(format, std::move(pcmBytes), kPcmCode);
}

std::unique_ptr<Wav> MakeFloatWav(const PcmFormat& format, std::string floatBytes) {
  CheckFormat(format, format.BitsPerSample == 32, "float");
  return MakeWav(format, std::move(floatBytes), kFloatCode);
}

void SavePcmWav(const std::string& path, const PcmFormat& format, std::string pcmBytes) {
  MakePcmWav(format, std::move(pcmBytes))->PutWavFile(path, true);
}

void SaveFloatWav(const std::string& path, const PcmFormat& format, std::string floatBytes) {
  MakeFloatWav(format, std::move(floatBytes))->PutWavFile(path, true);
}

}  // namespace quendal
