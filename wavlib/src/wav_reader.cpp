// The reader walks the file chunk by chunk. Known chunks fill their object;
// the rest is passed over by its size, so real-world files (padded chunks,
// "bext", INFO lists, sampler-specific bytes after the loops) never derail it.

#include "wav_reader.h"

#include <string>
#include <string_view>

#include "quendal/qd_wav_module.h"
#include "quendal/wav_errors.h"

namespace quendal::detail {

namespace {

constexpr int32_t kMaxRecordCount = 32767;   // counts and text lengths are 16-bit
constexpr int32_t kMinListRemaining = -32768;

template <class T>
T& Held(const std::shared_ptr<T>& object, const char* name) {
  if (!object) throw EmptyReferenceError(std::string(name) + " holds no object, so the file cannot be read into it");
  return *object;
}

class ChunkReader {
 public:
  explicit ChunkReader(WavFileStream& in) : in_(in) {}

  std::string Bytes(int64_t count, const std::string& what) { return in_.Read(count, what); }

  // An unsigned little-endian field of width bytes that must fit 31 bits.
  int32_t Number(int width, const std::string& what) {
    const int64_t offset = in_.Position();
    const std::string bytes = in_.Read(width, what);
    uint64_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) value = value * 256 + static_cast<unsigned char>(bytes[i]);
    if (value > 2147483647u) {
      throw OverflowError(what + " at byte " + std::to_string(offset) + " is " + std::to_string(value) +
                          ", 2147483648 or more: it does not fit a 32-bit signed integer");
    }
    return QDWavModule::BytesToLong(bytes);
  }

  WavFileStream& in() { return in_; }

 private:
  WavFileStream& in_;
};

// A record count above the 16-bit limit fails before any record is read.
void CheckRecordCount(int32_t count, const std::string& what) {
  if (count > kMaxRecordCount) {
    throw OverflowError(what + " is " + std::to_string(count) + ", more than the 32767 records this library reads");
  }
}

void ReadFmt(ChunkReader& r, WavFmt& fmt, int32_t size) {
  fmt.CompressionCode = r.Number(2, "the compression code of \"fmt \"");
  fmt.CompressionDesc = QDWavModule::CompressionDesc(fmt.CompressionCode);
  fmt.ChannelsNumber = r.Number(2, "the channel count of \"fmt \"");
  fmt.SampleRate = r.Number(4, "the sample rate of \"fmt \"");
  fmt.BytesPerSecond = r.Number(4, "the bytes per second of \"fmt \"");
  fmt.BytesPerSample = r.Number(2, "the block alignment of \"fmt \"");
  fmt.BitsPerSample = r.Number(2, "the bits per sample of \"fmt \"");
  if (size > 16) {
    fmt.ExtraFormatBytes = r.Number(2, "the extra format size of \"fmt \"");
    fmt.ExtraFormatString = r.Bytes(int64_t{size} - 18, "the extra format bytes of \"fmt \"");
  } else {
    fmt.ExtraFormatBytes = 0;
    fmt.ExtraFormatString.clear();
  }
}

void ReadFact(ChunkReader& r, WavFact& fact, int32_t size) {
  fact.SamplesNumber = r.Number(4, "the sample count of \"fact\"");
  fact.MoreData = r.Bytes(int64_t{size} - 4, "the rest of \"fact\"");
}

void ReadCue(ChunkReader& r, WavCue& cue) {
  cue.CuePointsNumber = r.Number(4, "the cue point count of \"cue \"");
  CheckRecordCount(cue.CuePointsNumber, "the cue point count of \"cue \"");
  auto& points = Held(cue.WavCuePoints, "CueChunk.WavCuePoints");
  for (int32_t i = 1; i <= cue.CuePointsNumber; ++i) {
    const std::string what = "cue point " + std::to_string(i) + " of \"cue \"";
    const int32_t id = r.Number(4, what);
    const int32_t position = r.Number(4, what);
    const std::string chunkId = r.Bytes(4, what);
    const int32_t chunkStart = r.Number(4, what);
    const int32_t blockStart = r.Number(4, what);
    const int32_t sampleOffset = r.Number(4, what);
    points.Add(id, position, chunkId, chunkStart, blockStart, sampleOffset);
  }
}

void ReadPlst(ChunkReader& r, WavPlst& plst) {
  plst.SegmentsNumber = r.Number(4, "the segment count of \"plst\"");
  CheckRecordCount(plst.SegmentsNumber, "the segment count of \"plst\"");
  auto& segments = Held(plst.WavPlstSegs, "PlstChunk.WavPlstSegs");
  for (int32_t i = 1; i <= plst.SegmentsNumber; ++i) {
    const std::string what = "segment " + std::to_string(i) + " of \"plst\"";
    const int32_t cuePoint = r.Number(4, what);
    const int32_t samples = r.Number(4, what);
    const int32_t repeats = r.Number(4, what);
    segments.Add(cuePoint, samples, repeats);
  }
}

void ReadSmpl(ChunkReader& r, WavSmpl& smpl) {
  smpl.Manufacturer = r.Number(4, "the manufacturer of \"smpl\"");
  smpl.Product = r.Number(4, "the product of \"smpl\"");
  smpl.SamplePeriod = r.Number(4, "the sample period of \"smpl\"");
  smpl.MIDIUnityNote = r.Number(4, "the MIDI unity note of \"smpl\"");
  smpl.MIDIPitchFraction = r.Number(4, "the MIDI pitch fraction of \"smpl\"");
  smpl.SMPTEFormat = r.Number(4, "the SMPTE format of \"smpl\"");
  smpl.SMPTEOffset = r.Number(4, "the SMPTE offset of \"smpl\"");
  smpl.SampleLoopsNumber = r.Number(4, "the loop count of \"smpl\"");
  smpl.SamplerData = r.Number(4, "the sampler data size of \"smpl\"");
  CheckRecordCount(smpl.SampleLoopsNumber, "the loop count of \"smpl\"");
  auto& loops = Held(smpl.WavSmplLoops, "SmplChunk.WavSmplLoops");
  for (int32_t i = 1; i <= smpl.SampleLoopsNumber; ++i) {
    const std::string what = "loop " + std::to_string(i) + " of \"smpl\"";
    const int32_t cuePoint = r.Number(4, what);
    const int32_t type = r.Number(4, what);
    const int32_t start = r.Number(4, what);
    const int32_t end = r.Number(4, what);
    const int32_t fraction = r.Number(4, what);
    const int32_t playCount = r.Number(4, what);
    loops.Add(cuePoint, type, start, end, fraction, playCount);
  }
}

void ReadInst(ChunkReader& r, WavInst& inst) {
  const std::string what = "a field of \"inst\"";
  inst.UnshiftedNote = static_cast<int16_t>(r.Number(1, what));
  inst.FineTune = static_cast<int16_t>(r.Number(1, what));
  inst.Gain = static_cast<int16_t>(r.Number(1, what));
  inst.LowNote = static_cast<int16_t>(r.Number(1, what));
  inst.HighNote = static_cast<int16_t>(r.Number(1, what));
  inst.LowVelocity = static_cast<int16_t>(r.Number(1, what));
  inst.HighVelocity = static_cast<int16_t>(r.Number(1, what));
}

// The text of a list sub-chunk: t bytes plus the pad byte when t is odd.
// Returns the text and lowers remaining by what the sub-chunk used of the list.
std::string ReadSubChunkText(ChunkReader& r, int32_t size, int32_t textLength, int32_t& remaining,
                             const std::string& what) {
  if (textLength > kMaxRecordCount) {
    throw OverflowError("the text of " + what + " is " + std::to_string(textLength) +
                        " bytes long, more than the 32767 this library reads");
  }
  std::string text;
  int64_t used = int64_t{size} + 8;
  if (textLength >= 1) {
    const bool odd = textLength % 2 != 0;
    text = r.Bytes(odd ? textLength + 1 : textLength, "the text of " + what);
    if (odd) ++used;
  }
  const int64_t left = remaining - used;
  if (left < kMinListRemaining) {
    throw OverflowError(what + " reaches " + std::to_string(-left) +
                        " bytes beyond its list, past the 16-bit limit of the list walk");
  }
  remaining = static_cast<int32_t>(left);
  return text;
}

void ReadList(ChunkReader& r, WavList& list, int32_t size) {
  if (int64_t{size} - 4 > kMaxRecordCount) {
    throw OverflowError("the list chunk holds " + std::to_string(size) +
                        " bytes, more than the 32771 this library walks");
  }
  int32_t remaining = size - 4;
  list.TypeID = r.Bytes(4, "the list type");
  while (remaining >= 1) {
    const std::string id = r.Bytes(4, "a sub-chunk id of the list");
    if (id == "labl" || id == "note") {
      const std::string what = "a \"" + id + "\" sub-chunk";
      const int32_t subSize = r.Number(4, "the size of " + what);
      const int32_t cuePoint = r.Number(4, "the cue point id of " + what);
      const std::string text = ReadSubChunkText(r, subSize, subSize - 4, remaining, what);
      if (id == "labl") {
        Held(list.WavLabls, "ListChunk.WavLabls").Add(id, subSize, cuePoint, text);
      } else {
        Held(list.WavNotes, "ListChunk.WavNotes").Add(id, subSize, cuePoint, text);
      }
    } else if (id == "ltxt") {
      const std::string what = "an \"ltxt\" sub-chunk";
      const int32_t subSize = r.Number(4, "the size of " + what);
      const int32_t cuePoint = r.Number(4, "the cue point id of " + what);
      const int32_t sampleLength = r.Number(4, "the sample length of " + what);
      const std::string purpose = r.Bytes(4, "the purpose id of " + what);
      const int32_t country = r.Number(2, "the country of " + what);
      const int32_t language = r.Number(2, "the language of " + what);
      const int32_t dialect = r.Number(2, "the dialect of " + what);
      const int32_t codePage = r.Number(2, "the code page of " + what);
      const std::string text = ReadSubChunkText(r, subSize, subSize - 20, remaining, what);
      Held(list.WavLtxts, "ListChunk.WavLtxts")
          .Add(id, subSize, cuePoint, sampleLength, purpose, country, language, dialect, codePage, text);
    } else {
      // A sub-chunk this library does not model (every INFO list has them):
      // the rest of the list is passed over by the caller.
      break;
    }
  }
}

// The chunk object that a header found in the file fills: its id and size
// are stored before the body is read, so a failure in the body leaves them set.
template <typename T>
T& StartChunk(const std::shared_ptr<T>& object, const char* name, const std::string& id, int32_t size) {
  T& chunk = Held(object, name);
  chunk.ChunkId = id;
  chunk.ChunkSize = size;
  return chunk;
}

// Reads the body of a chunk whose id is known; false for any other id.
bool ReadKnownChunk(ChunkReader& r, Wav& wav, const std::string& id, int32_t size) {
  if (id == "fmt ") {
    ReadFmt(r, StartChunk(wav.Fmt_Chunk, "Fmt_Chunk", id, size), size);
  } else if (id == "data" || id == "wavl" || id == "PAD ") {
    auto& chunk = id == "data" ? StartChunk(wav.DataChunk, "DataChunk", id, size)
                  : id == "wavl" ? StartChunk(wav.WavlChunk, "WavlChunk", id, size)
                                 : StartChunk(wav.PAD_Chunk, "PAD_Chunk", id, size);
    chunk.ChunkData = r.Bytes(size, "the body of \"" + id + "\"");
  } else if (id == "fact") {
    ReadFact(r, StartChunk(wav.FactChunk, "FactChunk", id, size), size);
  } else if (id == "slnt") {
    auto& slnt = StartChunk(wav.SlntChunk, "SlntChunk", id, size);
    slnt.SilentSamplesNumber = r.Number(4, "the silent sample count of \"slnt\"");
  } else if (id == "cue ") {
    ReadCue(r, StartChunk(wav.CueChunk, "CueChunk", id, size));
  } else if (id == "plst") {
    ReadPlst(r, StartChunk(wav.PlstChunk, "PlstChunk", id, size));
  } else if (id == "list" || id == "LIST") {
    ReadList(r, StartChunk(wav.ListChunk, "ListChunk", id, size), size);
  } else if (id == "smpl") {
    ReadSmpl(r, StartChunk(wav.SmplChunk, "SmplChunk", id, size));
  } else if (id == "inst") {
    ReadInst(r, StartChunk(wav.InstChunk, "InstChunk", id, size));
  } else {
    return false;
  }
  return true;
}

}  // namespace

int16_t ReadWav(Wav& wav, WavFileStream& in) {
  ChunkReader r(in);
  auto& header = Held(wav.FileHeader, "FileHeader");
  header.ChunkId = r.Bytes(4, "the RIFF id");
  header.ChunkSize = r.Number(4, "the RIFF size");
  header.ChunkData = r.Bytes(4, "the form type");
  if (header.ChunkId != "RIFF") return 1;
  if (header.ChunkData != "WAVE") return 2;

  bool afterOddChunk = false;
  while (!in.AtEnd()) {
    // Writers that follow the RIFF rules put a zero pad byte after an odd-sized
    // chunk. An id never starts with a zero byte, so taking it here keeps the
    // files this library writes (without pad bytes) readable chunk for chunk.
    if (afterOddChunk && in.Peek() == 0) {
      in.SkipTo(in.Position() + 1);
      afterOddChunk = false;
      continue;
    }
    const std::string id = r.Bytes(4, "a chunk id");
    if (id.size() < 4) break;  // one to three stray bytes end the file
    const int32_t size = r.Number(4, "the size of \"" + id + "\"");
    const int64_t bodyStart = in.Position();
    ReadKnownChunk(r, wav, id, size);
    // Unknown chunks, sampler-specific bytes after the loops, the rest of a
    // list after a sub-chunk it does not model: all end where the size says.
    // A chunk whose fields ran past its declared size is never walked back.
    in.SkipTo(bodyStart + size);
    afterOddChunk = size % 2 != 0;
  }
  return 0;
}

}  // namespace quendal::detail
