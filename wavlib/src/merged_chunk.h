// SPDX-License-Identifier: MIT
#pragma once
// A chunk met again in one read is merged into the chunk object that the
// first one filled: the later chunk's fields, the records of both. These
// helpers keep such a merged object writable as one consistent chunk.

#include <cstdint>
#include <string>

#include "quendal/wav.h"

namespace quendal::detail {

// True for the chunks whose records are merged ("cue ", "plst", the "adtl"
// list, "smpl"); a repeat of any other modelled chunk replaces it.
bool MergesRecords(const std::string& slot);

// Adds a count read from a later chunk to the count the earlier ones left;
// throws OverflowError when the sum leaves 32 bits.
int32_t AddCounts(int32_t held, int32_t more, const std::string& what);

// Sets the merged chunk's ChunkSize to the body the writer writes for it
// (fields, every record, the bytes after them), so that the copy is read back
// as one chunk. Throws OverflowError when the records together pass the
// limits the reader takes in one chunk (32767 records, a 32771-byte list),
// since the copy could not be read again.
void FinishMergedChunk(Wav& wav, const std::string& slot);

}  // namespace quendal::detail
