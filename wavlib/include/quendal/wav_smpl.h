// SPDX-License-Identifier: MIT
#pragma once
// The sampler chunk and its loops.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "quendal/wav_collection.h"
#include "quendal/wav_export.h"

namespace quendal {

class QUENDAL_WAV_API WavSmplLoop {
 public:
  int32_t CuePointID = 0;
  int32_t LoopType = 0;
  int32_t LoopStart = 0;
  int32_t LoopEnd = 0;
  int32_t LoopFraction = 0;
  int32_t LoopPlayCount = 0;
};

class QUENDAL_WAV_API WavSmplLoops : public WavCollection<WavSmplLoop> {
 public:
  std::shared_ptr<WavSmplLoop> Add(int32_t CuePointID, int32_t LoopType, int32_t LoopStart, int32_t LoopEnd,
                                   int32_t LoopFraction, int32_t LoopPlayCount, std::string_view sKey = {});
};

class QUENDAL_WAV_API WavSmpl {
 public:
  std::string ChunkId;
  int32_t ChunkSize = 0;
  // Manufacturer, Product, MIDIPitchFraction, SMPTEFormat and SMPTEOffset
  // (and a loop's LoopType and LoopFraction) are bit patterns, not amounts:
  // they hold the signed value of their four bytes (0x80000000 reads as
  // -2147483648) and are written back as the same four bytes.
  int32_t Manufacturer = 0;
  int32_t Product = 0;
  int32_t SamplePeriod = 0;       // nanoseconds per sample
  int32_t MIDIUnityNote = 0;      // the key at which the sample plays at its recorded pitch
  int32_t MIDIPitchFraction = 0;  // fraction of a semitone above the unity note
  int32_t SMPTEFormat = 0;
  int32_t SMPTEOffset = 0;
  // The loop count stored in the chunk; independent of the collection's Count.
  int32_t SampleLoopsNumber = 0;
  int32_t SamplerData = 0;        // byte count of sampler-specific data, as stored
  // Body bytes after the fields modelled here, up to ChunkSize, as read
  // (the sampler-specific data after the loops); written back after the fields.
  std::string TrailingBytes;
  std::shared_ptr<::quendal::WavSmplLoops> WavSmplLoops = std::make_shared<::quendal::WavSmplLoops>();
};

}  // namespace quendal
