// SPDX-License-Identifier: MIT
// The Add of each collection: a new item with the given fields, appended.

#include "quendal/wav_chunk.h"
#include "quendal/wav_cue.h"
#include "quendal/wav_list.h"
#include "quendal/wav_plst.h"
#include "quendal/wav_smpl.h"

namespace quendal {

std::shared_ptr<WavUnknownChunk> WavUnknown::Add(const std::string& ChunkId, int32_t ChunkSize,
                                                 const std::string& ChunkData, std::string_view sKey) {
  auto item = std::make_shared<WavUnknownChunk>();
  item->ChunkId = ChunkId;
  item->ChunkSize = ChunkSize;
  item->ChunkData = ChunkData;
  return Append(std::move(item), sKey);
}

std::shared_ptr<WavCuePoint> WavCuePoints::Add(int32_t CueID, int32_t CuePosition, const std::string& DataChunkID,
                                               int32_t ChunkStart, int32_t BlockStart, int32_t SampleOffset,
                                               std::string_view sKey) {
  auto item = std::make_shared<WavCuePoint>();
  item->CueID = CueID;
  item->CuePosition = CuePosition;
  item->DataChunkID = DataChunkID;
  item->ChunkStart = ChunkStart;
  item->BlockStart = BlockStart;
  item->SampleOffset = SampleOffset;
  return Append(std::move(item), sKey);
}

std::shared_ptr<WavPlstSeg> WavPlstSegs::Add(int32_t CuePointID, int32_t NumberOfSamples, int32_t NumberOfRepeats,
                                             std::string_view sKey) {
  auto item = std::make_shared<WavPlstSeg>();
  item->CuePointID = CuePointID;
  item->NumberOfSamples = NumberOfSamples;
  item->NumberOfRepeats = NumberOfRepeats;
  return Append(std::move(item), sKey);
}

std::shared_ptr<WavSmplLoop> WavSmplLoops::Add(int32_t CuePointID, int32_t LoopType, int32_t LoopStart,
                                               int32_t LoopEnd, int32_t LoopFraction, int32_t LoopPlayCount,
                                               std::string_view sKey) {
  auto item = std::make_shared<WavSmplLoop>();
  item->CuePointID = CuePointID;
  item->LoopType = LoopType;
  item->LoopStart = LoopStart;
  item->LoopEnd = LoopEnd;
  item->LoopFraction = LoopFraction;
  item->LoopPlayCount = LoopPlayCount;
  return Append(std::move(item), sKey);
}

std::shared_ptr<WavLabl> WavLabls::Add(const std::string& ChunkId, int32_t ChunkSize, int32_t CuePointID,
                                       const std::string& LabelText, std::string_view sKey) {
  auto item = std::make_shared<WavLabl>();
  item->ChunkId = ChunkId;
  item->ChunkSize = ChunkSize;
  item->CuePointID = CuePointID;
  item->LabelText = LabelText;
  return Append(std::move(item), sKey);
}

std::shared_ptr<WavNote> WavNotes::Add(const std::string& ChunkId, int32_t ChunkSize, int32_t CuePointID,
                                       const std::string& NoteText, std::string_view sKey) {
  auto item = std::make_shared<WavNote>();
  item->ChunkId = ChunkId;
  item->ChunkSize = ChunkSize;
  item->CuePointID = CuePointID;
  item->NoteText = NoteText;
  return Append(std::move(item), sKey);
}

std::shared_ptr<WavLtxt> WavLtxts::Add(const std::string& ChunkId, int32_t ChunkSize, int32_t CuePointID,
                                       int32_t SampleLength, const std::string& PurposeID, int32_t Country,
                                       int32_t Language, int32_t Dialect, int32_t CodePage,
                                       const std::string& LtxtText, std::string_view sKey) {
  auto item = std::make_shared<WavLtxt>();
  item->ChunkId = ChunkId;
  item->ChunkSize = ChunkSize;
  item->CuePointID = CuePointID;
  item->SampleLength = SampleLength;
  item->PurposeID = PurposeID;
  item->Country = Country;
  item->Language = Language;
  item->Dialect = Dialect;
  item->CodePage = CodePage;
  item->LtxtText = LtxtText;
  return Append(std::move(item), sKey);
}

}  // namespace quendal
