// SPDX-License-Identifier: MIT
#pragma once
// The generic chunk (header, data, "wavl", "PAD ") and WavUnknown, the
// collection of the chunks a Wav has no member for: the reader keeps them
// there, and clients may add chunks of their own.

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

// A chunk the model has no member for ("bext", "iXML", "JUNK", an INFO list,
// a replaced "fmt ", ...), kept with its body as read so that writing loses nothing.
class QUENDAL_WAV_API WavUnknownChunk : public WavChunk {
 public:
  // Where the writer puts it: right after the chunk with this id. "RIFF" means
  // right after the file header; "fmt ", "fact", "slnt", "cue ", "plst", "LIST"
  // (or "list"), "smpl", "inst", "PAD " and "data" name the modelled chunks
  // (the place is kept when that chunk is absent); any other text means after
  // the data chunk, at the end of the file. The reader sets the modelled chunk
  // it met last before this one.
  std::string WrittenAfter = "data";
  int64_t FilePosition = -1;  // offset of its header in the file it was read from; -1 when not read
};

// Wav::UnknownChunks: the reader appends every chunk it does not model, in
// file order; clients may read, change, remove or add items.
class QUENDAL_WAV_API WavUnknown : public WavCollection<WavUnknownChunk> {
 public:
  // A new chunk written after the data chunk (set WrittenAfter to move it).
  std::shared_ptr<WavUnknownChunk> Add(const std::string& ChunkId, int32_t ChunkSize, const std::string& ChunkData,
                                       std::string_view sKey = {});
};

}  // namespace quendal
