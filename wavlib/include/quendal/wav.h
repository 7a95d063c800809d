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

  // Reads the file into the model (clearing nothing first). Returns 0 when the
  // file was read to its end, 1 when it does not begin with "RIFF", 2 when the
  // form type is not "WAVE". Any other failure throws a WavError; what was read
  // before the failure stays in the model.
  int16_t GetWavFile(const std::string& sWavFile);

  // Writes the model to the file: the chunks in a fixed order, data last,
  // sizes and counts as held, only the RIFF size recomputed (and stored in
  // FileHeader). A structured chunk whose fields are fewer than its ChunkSize
  // is filled with zero bytes up to it, so the next chunk stays where the
  // size says. Returns 0 when written, 1 when the file exists, bOverwrite is
  // false and the overwrite question was answered No (or there is no question
  // to ask). Counts are checked before the disk is touched; the file is
  // written beside the target and renamed into place, so a failure never
  // leaves a half-written file nor destroys the file it was to replace.
  // Failures throw a WavError.
  int16_t PutWavFile(const std::string& sWavFile, bool bOverwrite = false);

  // Sets the question PutWavFile asks before replacing a file; none means No.
  void SetOverwriteQuestion(OverwriteQuestion askOverwrite);

 private:
  OverwriteQuestion askOverwrite_;
  std::unique_ptr<detail::WavFileStream> stream_;  // open only inside a read or write
};

}  // namespace quendal
