// SPDX-License-Identifier: MIT
#pragma once
// Wav: one RIFF WAVE file in memory, as a tree of chunk objects, with the
// reader (GetWavFile) and the writer (PutWavFile). Every Wav owns its own file
// stream, open only during a read or a write, so Wav objects never disturb each other.
// A Wav is used on one thread at a time.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "quendal/wav_chunk.h"
#include "quendal/wav_cue.h"
#include "quendal/wav_export.h"
#include "quendal/wav_list.h"
#include "quendal/wav_plst.h"
#include "quendal/wav_simple_chunks.h"
#include "quendal/wav_smpl.h"

namespace quendal {

namespace detail {
class WavFileStream;
}

// Asked before PutWavFile replaces an existing file without bOverwrite:
// a yes/no question with No as the default. Returns true for Yes.
using OverwriteQuestion = std::function<bool(const std::string& sTitle, const std::string& sText)>;

// Where the sample body of a file's data chunk lies, for a reader that left
// it on disk (Wav::GetWavFileWithoutSamples).
struct WavSampleBody {
  int64_t Offset = -1;      // file offset of its first byte; -1 when the file has no "data" chunk
  int64_t BytesInFile = 0;  // how many of its ChunkSize bytes the file holds: fewer when it is cut short
};

class QUENDAL_WAV_API Wav {
 public:
  Wav();
  ~Wav();
  Wav(const Wav&) = delete;
  Wav& operator=(const Wav&) = delete;

  // The chunks, each created with the Wav. An optional chunk takes part in
  // the file when its ChunkId holds its code; an empty ChunkId means absent.
  std::shared_ptr<WavChunk> FileHeader = std::make_shared<WavChunk>();  // "RIFF", size, form "WAVE"
  std::shared_ptr<WavFmt> Fmt_Chunk = std::make_shared<WavFmt>();
  std::shared_ptr<WavChunk> DataChunk = std::make_shared<WavChunk>();
  std::shared_ptr<WavFact> FactChunk = std::make_shared<WavFact>();
  std::shared_ptr<WavChunk> WavlChunk = std::make_shared<WavChunk>();  // read, never written
  std::shared_ptr<WavSlnt> SlntChunk = std::make_shared<WavSlnt>();
  std::shared_ptr<WavCue> CueChunk = std::make_shared<WavCue>();
  std::shared_ptr<WavPlst> PlstChunk = std::make_shared<WavPlst>();
  std::shared_ptr<WavList> ListChunk = std::make_shared<WavList>();
  std::shared_ptr<WavSmpl> SmplChunk = std::make_shared<WavSmpl>();
  std::shared_ptr<WavInst> InstChunk = std::make_shared<WavInst>();
  std::shared_ptr<WavChunk> PAD_Chunk = std::make_shared<WavChunk>();
  // Every chunk read that the members above do not hold: ids they do not
  // model, lists of any type but "adtl" (INFO), and each chunk without records
  // ("fmt ", "fact", "slnt", "inst", "PAD ", "data") that a later one of its id
  // replaced in the same read. In file order (a replaced chunk joins when its
  // replacement is met), each placed after the modelled chunk it followed, a
  // replaced one just before its replacement (WrittenAfter).
  std::shared_ptr<WavUnknown> UnknownChunks = std::make_shared<WavUnknown>();

  // Reads the file into the model (clearing nothing first). Returns 0 when the
  // file was read to its end, 1 when it does not begin with "RIFF" (whatever
  // its size field holds), 2 when the form type is not "WAVE". Any other
  // failure throws a WavError; what was read before the failure stays in the
  // model. Nothing of the file is dropped: chunks without a member go to
  // UnknownChunks, and body bytes a chunk object has no field for go to its
  // TrailingBytes (only a "wavl" chunk is read but never written, a later one
  // replacing an earlier one). A "cue ", "plst", "adtl" list or "smpl" met
  // again in the same read is merged into its object: the later chunk's
  // fields, the records, sub-chunks and trailing bytes of both, the counts
  // (and "smpl"'s SamplerData) added up, and ChunkSize set to the merged body
  // as written, so that the copy holds one chunk that reads back the same.
  // A merge beyond what one chunk can hold (32767 records, a 32771-byte list)
  // fails with an OverflowError. One to seven stray bytes after the last
  // chunk, too few for a chunk header, end the read with 0 and are not kept.
  int16_t GetWavFile(const std::string& sWavFile);

  // Reads the file as GetWavFile does, with the same results and failures,
  // but passes over the sample body of each "data" chunk instead of reading
  // it: DataChunk holds its id and size with an empty ChunkData (and so does
  // an earlier "data" chunk that a later one replaced), and samples tells
  // where the body lies and how much of it the file holds. For looking at a
  // file's format and tags without the cost of its samples; a model read this
  // way is not meant to be written back.
  int16_t GetWavFileWithoutSamples(const std::string& sWavFile, WavSampleBody& samples);

  // Writes the model to the file: the modelled chunks in a fixed order
  // (header, "fmt ", "fact", "slnt", "cue ", "plst", list, "smpl", "inst",
  // "PAD ", "data"), each followed by the UnknownChunks placed after it, sizes
  // and counts as held, only the RIFF size recomputed (and stored in
  // FileHeader). A chunk of odd size is followed by a zero pad byte, counted
  // in the RIFF size but not in the chunk's size. A structured chunk whose
  // fields and TrailingBytes are fewer than its ChunkSize is filled with zero
  // bytes up to it, so the next chunk stays where the size says. A file read
  // from one already in this layout is written back byte for byte.
  //
  // Returns 0 when written, 1 when the file exists, bOverwrite is false and
  // the overwrite question was answered No (or there is no question to ask).
  // Counts are checked before the disk is touched. An existing file that the
  // user may not write is refused (FileAccessError) as a direct write would
  // refuse it. Otherwise the file is written beside the target and renamed
  // into place, taking the replaced file's permission bits, so a failure never
  // leaves a half-written file nor destroys the file it was to replace. The
  // rename gives the path a new file: other hard links to the old file keep
  // the old content. Through a symbolic link the file it points to is
  // replaced. Where no temporary file can be made beside a target that may be
  // written (a folder the user may not write into), the target is written in
  // place instead: hard links then see the new content, and a failure part-way
  // leaves the target incomplete and is reported. Failures throw a WavError.
  int16_t PutWavFile(const std::string& sWavFile, bool bOverwrite = false);

  // Sets the question PutWavFile asks before replacing a file; none means No.
  void SetOverwriteQuestion(OverwriteQuestion askOverwrite);

 private:
  OverwriteQuestion askOverwrite_;
  std::unique_ptr<detail::WavFileStream> stream_;  // open only inside a read or write
};

}  // namespace quendal
