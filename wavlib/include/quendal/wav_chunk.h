#pragma once
// The generic chunk (header, data, "wavl", "PAD ") and WavUnknown, the
// collection of generic chunks that clients may keep for chunks of their own.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "quendal/wav_collection.h"
#include "quendal/wav_export.h"

namespace quendal {

// A chunk as an id, its size field and its body bytes.
class QUENDAL_WAV_API WavChunk {
 public:
  std::string ChunkId;    // four-character code, e.g. "data"
  int32_t ChunkSize = 0;  // the size field, as read or as set
  std::string ChunkData;  // the body, one char per byte
};

// Offered to clients; no Wav holds one and the library never fills one.
class QUENDAL_WAV_API WavUnknown : public WavCollection<WavChunk> {
 public:
  std::shared_ptr<WavChunk> Add(const std::string& ChunkId, int32_t ChunkSize, const std::string& ChunkData,
                                std::string_view sKey = {});
};

}  // namespace quendal
