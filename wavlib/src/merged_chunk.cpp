// SPDX-License-Identifier: MIT
#include "merged_chunk.h"

#include <limits>

#include "chunk_fields.h"
#include "quendal/wav_errors.h"

namespace quendal::detail {

namespace {

constexpr int64_t kMaxRecords = 32767;
constexpr int64_t kMaxListSize = 32771;

void CheckRecords(int64_t count, const std::string& what) {
  if (count > kMaxRecords) {
    throw OverflowError("the " + what + " of the repeated chunks are " + std::to_string(count) +
                        " together, more than the 32767 one chunk can hold");
  }
}

int32_t ToSize(int64_t size, const std::string& id) {
  if (size > std::numeric_limits<int32_t>::max()) {
    throw OverflowError("the repeated \"" + id + "\" chunks together exceed 2147483647 bytes");
  }
  return static_cast<int32_t>(size);
}

// The list's body as WriteList lays it out: the type, every item, the rest.
int64_t ListBodySize(const WavList& list) {
  int64_t size = static_cast<int64_t>(list.TypeID.size() + list.TrailingBytes.size());
  for (const auto& label : *list.WavLabls)
    size += static_cast<int64_t>(label->ChunkId.size() + 8 + label->LabelText.size());
  for (const auto& note : *list.WavNotes)
    size += static_cast<int64_t>(note->ChunkId.size() + 8 + note->NoteText.size());
  for (const auto& text : *list.WavLtxts) {
    size += static_cast<int64_t>(text->ChunkId.size() + 20 + text->PurposeID.size() + text->LtxtText.size());
  }
  return size;
}

}  // namespace

bool MergesRecords(const std::string& slot) {
  return slot == "cue " || slot == "plst" || slot == "LIST" || slot == "smpl";
}

int32_t AddCounts(int32_t held, int32_t more, const std::string& what) {
  const int64_t sum = int64_t{held} + more;
  if (sum > std::numeric_limits<int32_t>::max()) {
    throw OverflowError(what + " of the repeated chunks exceeds 2147483647 together");
  }
  return static_cast<int32_t>(sum);
}

void FinishMergedChunk(Wav& wav, const std::string& slot) {
  if (slot == "cue ") {
    WavCue& cue = *wav.CueChunk;
    CheckRecords(cue.CuePointsNumber, "cue points");
    const int64_t fields = FixedBytesOf<WavCue>(CueFields<FixedFieldBytes, const WavCue>);
    const int64_t point = FixedBytesOf<WavCuePoint>(CuePointFields<FixedFieldBytes, const WavCuePoint>);
    cue.ChunkSize =
        ToSize(fields + point * cue.CuePointsNumber + static_cast<int64_t>(cue.TrailingBytes.size()), "cue ");
  } else if (slot == "plst") {
    WavPlst& plst = *wav.PlstChunk;
    CheckRecords(plst.SegmentsNumber, "playlist segments");
    const int64_t fields = FixedBytesOf<WavPlst>(PlstFields<FixedFieldBytes, const WavPlst>);
    const int64_t segment = FixedBytesOf<WavPlstSeg>(PlstSegFields<FixedFieldBytes, const WavPlstSeg>);
    plst.ChunkSize =
        ToSize(fields + segment * plst.SegmentsNumber + static_cast<int64_t>(plst.TrailingBytes.size()), "plst");
  } else if (slot == "smpl") {
    WavSmpl& smpl = *wav.SmplChunk;
    CheckRecords(smpl.SampleLoopsNumber, "loops");
    const int64_t fields = FixedBytesOf<WavSmpl>(SmplFields<FixedFieldBytes, const WavSmpl>);
    const int64_t loop = FixedBytesOf<WavSmplLoop>(SmplLoopFields<FixedFieldBytes, const WavSmplLoop>);
    smpl.ChunkSize =
        ToSize(fields + loop * smpl.WavSmplLoops->Count() + static_cast<int64_t>(smpl.TrailingBytes.size()), "smpl");
  } else if (slot == "LIST") {
    WavList& list = *wav.ListChunk;
    if (!list.WavLabls || !list.WavNotes || !list.WavLtxts) {
      throw EmptyReferenceError("a collection of ListChunk holds no object, so the lists cannot be merged");
    }
    const int64_t size = ListBodySize(list);
    if (size > kMaxListSize) {
      throw OverflowError("the repeated \"adtl\" lists hold " + std::to_string(size) +
                          " bytes together, more than the 32771 one list can hold");
    }
    list.ChunkSize = static_cast<int32_t>(size);
  }
}

}  // namespace quendal::detail
