// SPDX-License-Identifier: MIT
#pragma once
// The cue chunk and its cue points.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "quendal/wav_collection.h"
#include "quendal/wav_export.h"

namespace quendal {

class QUENDAL_WAV_API WavCuePoint {
 public:
  int32_t CueID = 0;
  int32_t CuePosition = 0;  // play-order position
  std::string DataChunkID;  // code of the chunk holding the cue point, e.g. "data"
  int32_t ChunkStart = 0;
  int32_t BlockStart = 0;
  int32_t SampleOffset = 0;
};

class QUENDAL_WAV_API WavCuePoints : public WavCollection<WavCuePoint> {
 public:
  std::shared_ptr<WavCuePoint> Add(int32_t CueID, int32_t CuePosition, const std::string& DataChunkID,
                                   int32_t ChunkStart, int32_t BlockStart, int32_t SampleOffset,
                                   std::string_view sKey = {});
};

class QUENDAL_WAV_API WavCue {
 public:
  std::string ChunkId;
  int32_t ChunkSize = 0;
  // The record count stored in the chunk; independent of the collection's Count.
  int32_t CuePointsNumber = 0;
  // Body bytes after the fields modelled here, up to ChunkSize, as read
  // (anything after the records); written back after the fields.
  std::string TrailingBytes;
  std::shared_ptr<::quendal::WavCuePoints> WavCuePoints = std::make_shared<::quendal::WavCuePoints>();
};

}  // namespace quendal
