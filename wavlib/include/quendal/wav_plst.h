// SPDX-License-Identifier: MIT
#pragma once
// The playlist chunk and its segments.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "quendal/wav_collection.h"
#include "quendal/wav_export.h"

namespace quendal {

class QUENDAL_WAV_API WavPlstSeg {
 public:
  int32_t CuePointID = 0;
  int32_t NumberOfSamples = 0;
  int32_t NumberOfRepeats = 0;
};

class QUENDAL_WAV_API WavPlstSegs : public WavCollection<WavPlstSeg> {
 public:
  std::shared_ptr<WavPlstSeg> Add(int32_t CuePointID, int32_t NumberOfSamples, int32_t NumberOfRepeats,
                                  std::string_view sKey = {});
};

class QUENDAL_WAV_API WavPlst {
 public:
  std::string ChunkId;
  int32_t ChunkSize = 0;
  // The segment count stored in the chunk; independent of the collection's Count.
  int32_t SegmentsNumber = 0;
  // Body bytes after the fields modelled here, up to ChunkSize, as read
  // (anything after the records); written back after the fields.
  std::string TrailingBytes;
  std::shared_ptr<::quendal::WavPlstSegs> WavPlstSegs = std::make_shared<::quendal::WavPlstSegs>();
};

}  // namespace quendal
