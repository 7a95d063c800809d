// SPDX-License-Identifier: MIT
#pragma once
// The chunks made of fixed fields only: "fmt ", "fact", "slnt" and "inst".

#include <cstdint>
#include <string>

#include "quendal/wav_export.h"

namespace quendal {

// The format chunk.
class QUENDAL_WAV_API WavFmt {
 public:
  std::string ChunkId;
  int32_t ChunkSize = 0;
  std::string CompressionDesc;    // readable name of CompressionCode, set by the reader
  int32_t CompressionCode = 0;    // 1 for uncompressed PCM
  int32_t ChannelsNumber = 0;
  int32_t SampleRate = 0;         // sample frames per second
  int32_t BytesPerSecond = 0;
  int32_t BytesPerSample = 0;     // block alignment: one frame, all channels
  int32_t BitsPerSample = 0;      // of one channel
  std::string ExtraFormatString;  // bytes after the extra-format count
  int32_t ExtraFormatBytes = 0;   // the extra-format count as stored
  // Body bytes after the fields modelled here, up to ChunkSize, as read
  // (part of a field that the size cuts off); written back after the fields.
  std::string TrailingBytes;
};

class QUENDAL_WAV_API WavFact {
 public:
  std::string ChunkId;
  int32_t ChunkSize = 0;
  int32_t SamplesNumber = 0;  // sample frames
  std::string MoreData;       // whatever follows the first four body bytes
};

class QUENDAL_WAV_API WavSlnt {
 public:
  std::string ChunkId;
  int32_t ChunkSize = 0;
  int32_t SilentSamplesNumber = 0;
  // Body bytes after the fields modelled here, up to ChunkSize, as read
  // (anything after the count); written back after the fields.
  std::string TrailingBytes;
};

// The instrument chunk: one byte per field in the file, 16-bit in the model.
class QUENDAL_WAV_API WavInst {
 public:
  std::string ChunkId;
  int32_t ChunkSize = 0;
  int16_t UnshiftedNote = 0;
  int16_t FineTune = 0;
  int16_t Gain = 0;
  int16_t LowNote = 0;
  int16_t HighNote = 0;
  int16_t LowVelocity = 0;
  int16_t HighVelocity = 0;
  // Body bytes after the fields modelled here, up to ChunkSize, as read
  // (anything after the seven bytes); written back after the fields.
  std::string TrailingBytes;
};

}  // namespace quendal
