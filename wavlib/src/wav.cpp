// SPDX-License-Identifier: MIT
#include "quendal/wav.h"

#include "wav_file_stream.h"
#include "wav_reader.h"
#include "wav_writer.h"

namespace quendal {

namespace {
// Closes the Wav's stream however the read or write ends.
class StreamScope {
 public:
  explicit StreamScope(std::unique_ptr<detail::WavFileStream>& stream) : stream_(stream) {}
  ~StreamScope() { stream_.reset(); }
  StreamScope(const StreamScope&) = delete;
  StreamScope& operator=(const StreamScope&) = delete;

 private:
  std::unique_ptr<detail::WavFileStream>& stream_;
};
}  // namespace

Wav::Wav() = default;

Wav::~Wav() {
  // Released in the order they were created; a chunk a client still holds lives on.
  FileHeader.reset();
  Fmt_Chunk.reset();
  DataChunk.reset();
  FactChunk.reset();
  WavlChunk.reset();
  SlntChunk.reset();
  CueChunk.reset();
  PlstChunk.reset();
  ListChunk.reset();
  SmplChunk.reset();
  InstChunk.reset();
  PAD_Chunk.reset();
}

int16_t Wav::GetWavFile(const std::string& sWavFile) {
  StreamScope scope(stream_);
  stream_ = detail::WavFileStream::OpenForReading(sWavFile);
  return detail::ReadWav(*this, *stream_);
}

int16_t Wav::GetWavFileWithoutSamples(const std::string& sWavFile, WavSampleBody& samples) {
  StreamScope scope(stream_);
  stream_ = detail::WavFileStream::OpenForReading(sWavFile);
  samples = WavSampleBody{};
  return detail::ReadWav(*this, *stream_, &samples);
}

int16_t Wav::PutWavFile(const std::string& sWavFile, bool bOverwrite) {
  StreamScope scope(stream_);
  return detail::WriteWav(*this, stream_, sWavFile, bOverwrite, askOverwrite_);
}

void Wav::SetOverwriteQuestion(OverwriteQuestion askOverwrite) { askOverwrite_ = std::move(askOverwrite); }

}  // namespace quendal
