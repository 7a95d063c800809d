// SPDX-License-Identifier: MIT
// The reader walks the file chunk by chunk by the chunks' sizes, so real-world
// files (padded chunks, "bext", INFO lists, sampler-specific bytes after the
// loops) never derail it. Each chunk of a modelled id fills its object (of
// the lists only an "adtl" list: the model holds no other list type); every
// other chunk is kept whole in Wav::UnknownChunks, and body bytes an object
// has no field for go to its TrailingBytes, so a model read and written back
// loses nothing. A modelled chunk met again in the same read leaves its own
// fields and adds its records to the earlier ones (merged_chunk.h); of a
// chunk without records the earlier one is kept whole among the unknown
// chunks, written just before the one that replaced it.

#include "wav_reader.h"

#include <map>
#include <set>
#include <string>
#include <string_view>

#include "merged_chunk.h"
#include "quendal/qd_wav_module.h"
#include "quendal/wav_errors.h"
#include "wav_layout.h"

namespace quendal::detail {

namespace {

constexpr int32_t kMaxRecordCount = 32767;  // counts and text lengths are 16-bit
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
    return Convert(in_.Read(width, what), offset, what);
  }

  // A 4-byte field that holds a bit pattern rather than an amount: the signed
  // value of its bytes, never an overflow.
  int32_t Pattern(const std::string& what) { return PatternOf(in_.Read(4, what)); }

  static int32_t Convert(const std::string& bytes, int64_t offset, const std::string& what) {
    const uint32_t value = Unsigned(bytes);
    if (value > 2147483647u) {
      throw OverflowError(what + " at byte " + std::to_string(offset) + " is " + std::to_string(value) +
                          ", 2147483648 or more: it does not fit a 32-bit signed integer");
    }
    return QDWavModule::BytesToLong(bytes);
  }

  static int32_t PatternOf(const std::string& bytes) { return static_cast<int32_t>(Unsigned(bytes)); }

  WavFileStream& in() { return in_; }

 private:
  static uint32_t Unsigned(const std::string& bytes) {
    uint32_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) value = value * 256 + static_cast<unsigned char>(bytes[i]);
    return value;
  }

  WavFileStream& in_;
};

// A record count above the 16-bit limit fails before any record is read.
void CheckRecordCount(int32_t count, const std::string& what) {
  if (count > kMaxRecordCount) {
    throw OverflowError(what + " is " + std::to_string(count) + ", more than the 32767 records this library reads");
  }
}

// Only the fields that fit the chunk's size are read (the old 14-byte format
// record has no bits field); a field the size cuts off stays 0.
void ReadFmt(ChunkReader& r, WavFmt& fmt, int32_t size) {
  const auto field = [&](int end, int width, const char* what) {
    return size >= end ? r.Number(width, std::string(what) + " of \"fmt \"") : 0;
  };
  fmt.CompressionCode = field(2, 2, "the compression code");
  fmt.CompressionDesc = QDWavModule::CompressionDesc(fmt.CompressionCode);
  fmt.ChannelsNumber = field(4, 2, "the channel count");
  fmt.SampleRate = field(8, 4, "the sample rate");
  fmt.BytesPerSecond = field(12, 4, "the bytes per second");
  fmt.BytesPerSample = field(14, 2, "the block alignment");
  fmt.BitsPerSample = field(16, 2, "the bits per sample");
  if (size >= 18) {
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

// With merge, the records follow those of an earlier "cue " of the same
// read, and the count becomes the count of both.
void ReadCue(ChunkReader& r, WavCue& cue, bool merge) {
  const std::string what = "the cue point count of \"cue \"";
  const int32_t count = r.Number(4, what);
  cue.CuePointsNumber = merge ? AddCounts(cue.CuePointsNumber, count, what) : count;
  CheckRecordCount(count, what);
  auto& points = Held(cue.WavCuePoints, "CueChunk.WavCuePoints");
  for (int32_t i = 1; i <= count; ++i) {
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

void ReadPlst(ChunkReader& r, WavPlst& plst, bool merge) {
  const std::string what = "the segment count of \"plst\"";
  const int32_t count = r.Number(4, what);
  plst.SegmentsNumber = merge ? AddCounts(plst.SegmentsNumber, count, what) : count;
  CheckRecordCount(count, what);
  auto& segments = Held(plst.WavPlstSegs, "PlstChunk.WavPlstSegs");
  for (int32_t i = 1; i <= count; ++i) {
    const std::string what = "segment " + std::to_string(i) + " of \"plst\"";
    const int32_t cuePoint = r.Number(4, what);
    const int32_t samples = r.Number(4, what);
    const int32_t repeats = r.Number(4, what);
    segments.Add(cuePoint, samples, repeats);
  }
}

// With merge, the loops and the sampler-specific bytes (kept as trailing
// bytes) follow those of an earlier "smpl" of the same read, and both counts
// add up; every other field is the later chunk's.
void ReadSmpl(ChunkReader& r, WavSmpl& smpl, bool merge) {
  smpl.Manufacturer = r.Pattern("the manufacturer of \"smpl\"");
  smpl.Product = r.Pattern("the product of \"smpl\"");
  smpl.SamplePeriod = r.Number(4, "the sample period of \"smpl\"");
  smpl.MIDIUnityNote = r.Number(4, "the MIDI unity note of \"smpl\"");
  smpl.MIDIPitchFraction = r.Pattern("the MIDI pitch fraction of \"smpl\"");
  smpl.SMPTEFormat = r.Pattern("the SMPTE format of \"smpl\"");
  smpl.SMPTEOffset = r.Pattern("the SMPTE offset of \"smpl\"");
  const std::string countWhat = "the loop count of \"smpl\"";
  const std::string dataWhat = "the sampler data size of \"smpl\"";
  const int32_t count = r.Number(4, countWhat);
  const int32_t samplerData = r.Number(4, dataWhat);
  smpl.SampleLoopsNumber = merge ? AddCounts(smpl.SampleLoopsNumber, count, countWhat) : count;
  smpl.SamplerData = merge ? AddCounts(smpl.SamplerData, samplerData, dataWhat) : samplerData;
  CheckRecordCount(count, countWhat);
  auto& loops = Held(smpl.WavSmplLoops, "SmplChunk.WavSmplLoops");
  for (int32_t i = 1; i <= count; ++i) {
    const std::string what = "loop " + std::to_string(i) + " of \"smpl\"";
    const int32_t cuePoint = r.Number(4, what);
    const int32_t type = r.Pattern(what);
    const int32_t start = r.Number(4, what);
    const int32_t end = r.Number(4, what);
    const int32_t fraction = r.Pattern(what);
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

// The type has been read already: it decided that the list is modelled.
void ReadList(ChunkReader& r, WavList& list, int32_t size, const std::string& type) {
  if (int64_t{size} - 4 > kMaxRecordCount) {
    throw OverflowError("the list chunk holds " + std::to_string(size) +
                        " bytes, more than the 32771 this library walks");
  }
  int32_t remaining = size - 4;
  list.TypeID = type;
  while (remaining >= 1) {
    const std::string id = r.Bytes(4, "a sub-chunk id of the list");
    if (id == "labl" || id == "note") {
      const std::string what = "a \"" + id + "\" sub-chunk";
      const int32_t subSize = r.Number(4, "the size of " + what);
      const int32_t cuePoint = r.Number(4, "the cue point id of " + what);
      const std::string text = ReadSubChunkText(r, subSize, subSize - 4, remaining, what);
      if (id == "labl") {
        Held(list.WavLabls, "ListChunk.WavLabls").Add(id, subSize, cuePoint, text);
        list.ItemOrder.push_back(WavListItemKind::Labl);
      } else {
        Held(list.WavNotes, "ListChunk.WavNotes").Add(id, subSize, cuePoint, text);
        list.ItemOrder.push_back(WavListItemKind::Note);
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
      list.ItemOrder.push_back(WavListItemKind::Ltxt);
    } else {
      // A sub-chunk this library does not model (every INFO list has them):
      // it and the rest of the list become the list's trailing bytes, which
      // the caller completes up to the list's end (after those of an earlier
      // list of the same read).
      list.TrailingBytes += id;
      break;
    }
  }
}

// The chunk object that a header found in the file fills: its id and size
// are stored before the body is read, so a failure in the body leaves them set.
// A chunk merged into an earlier one keeps the earlier trailing bytes.
template <typename T>
T& StartChunk(const std::shared_ptr<T>& object, const char* name, const std::string& id, int32_t size,
              bool merge = false) {
  T& chunk = Held(object, name);
  chunk.ChunkId = id;
  chunk.ChunkSize = size;
  if constexpr (requires { chunk.TrailingBytes; }) {
    if (!merge) chunk.TrailingBytes.clear();
  }
  return chunk;
}

// The member a chunk id fills ("LIST" for both spellings of the list), or ""
// for an id the model does not hold.
std::string SlotOf(const std::string& id) {
  static const std::set<std::string> kModelled = {"fmt ", "data", "fact", "wavl", "slnt", "cue ",
                                                  "plst", "LIST", "smpl", "inst", "PAD "};
  const std::string slot = id == "list" ? "LIST" : id;
  return kModelled.count(slot) != 0 ? slot : "";
}

// Reads the body of a modelled chunk (of a list, what follows its type),
// merged into the object when merge is set. Returns where the bytes of its
// body that no field takes belong (nullptr when its fields take the whole body).
std::string* ReadModelledChunk(ChunkReader& r, Wav& wav, const std::string& id, int32_t size,
                               const std::string& listType, bool merge, WavSampleBody* samples) {
  if (id == "data" && samples != nullptr) {
    StartChunk(wav.DataChunk, "DataChunk", id, size).ChunkData.clear();
    samples->Offset = r.in().Position();
    samples->BytesInFile = r.in().Skip(size, "the body of \"data\"");
    return nullptr;
  }
  if (id == "fmt ") {
    auto& fmt = StartChunk(wav.Fmt_Chunk, "Fmt_Chunk", id, size);
    ReadFmt(r, fmt, size);
    return &fmt.TrailingBytes;
  }
  if (id == "data" || id == "wavl" || id == "PAD ") {
    auto& chunk = id == "data"   ? StartChunk(wav.DataChunk, "DataChunk", id, size)
                  : id == "wavl" ? StartChunk(wav.WavlChunk, "WavlChunk", id, size)
                                 : StartChunk(wav.PAD_Chunk, "PAD_Chunk", id, size);
    chunk.ChunkData = r.Bytes(size, "the body of \"" + id + "\"");
    return nullptr;
  }
  if (id == "fact") {
    ReadFact(r, StartChunk(wav.FactChunk, "FactChunk", id, size), size);
    return nullptr;
  }
  if (id == "slnt") {
    auto& slnt = StartChunk(wav.SlntChunk, "SlntChunk", id, size);
    slnt.SilentSamplesNumber = r.Number(4, "the silent sample count of \"slnt\"");
    return &slnt.TrailingBytes;
  }
  if (id == "cue ") {
    auto& cue = StartChunk(wav.CueChunk, "CueChunk", id, size, merge);
    ReadCue(r, cue, merge);
    return &cue.TrailingBytes;
  }
  if (id == "plst") {
    auto& plst = StartChunk(wav.PlstChunk, "PlstChunk", id, size, merge);
    ReadPlst(r, plst, merge);
    return &plst.TrailingBytes;
  }
  if (id == "list" || id == "LIST") {
    auto& list = StartChunk(wav.ListChunk, "ListChunk", id, size, merge);
    ReadList(r, list, size, listType);
    return &list.TrailingBytes;
  }
  if (id == "smpl") {
    auto& smpl = StartChunk(wav.SmplChunk, "SmplChunk", id, size, merge);
    ReadSmpl(r, smpl, merge);
    return &smpl.TrailingBytes;
  }
  auto& inst = StartChunk(wav.InstChunk, "InstChunk", id, size);
  ReadInst(r, inst);
  return &inst.TrailingBytes;
}

// A chunk kept whole: its body as far as the file has it (prefix: what of it
// was read already), written back after the modelled chunk it followed; one
// cut off by the end of the file goes at the end, where it was.
void KeepChunk(ChunkReader& r, Wav& wav, const std::string& id, int32_t size, int64_t headerStart,
               const std::string& lastModelled, const std::string& prefix) {
  auto& unknown = Held(wav.UnknownChunks, "UnknownChunks");
  std::string body = prefix;
  if (!r.in().AtEnd())
    body += r.Bytes(int64_t{size} - static_cast<int64_t>(prefix.size()), "the body of \"" + id + "\"");
  auto chunk = unknown.Add(id, size, body);
  chunk->WrittenAfter = static_cast<int64_t>(body.size()) < size ? "data" : lastModelled;
  chunk->FilePosition = headerStart;
}

// The chunk without records that filled slot earlier in this read, about to
// be replaced by a later one of its id: kept whole among the unknown chunks,
// to be written just before the one that replaces it, so that reading the
// copy replaces it again. Its body is taken once more from the file (a
// sample body from the model, where it is whole already).
void SetAsideEarlier(ChunkReader& r, Wav& wav, const std::string& slot, int64_t headerStart) {
  std::string id, body;
  int32_t size = 0;
  if (slot == "data" || slot == "PAD ") {
    WavChunk& chunk = Held(slot == "data" ? wav.DataChunk : wav.PAD_Chunk, slot == "data" ? "DataChunk" : "PAD_Chunk");
    id = chunk.ChunkId, size = chunk.ChunkSize, body = std::move(chunk.ChunkData);
    chunk.ChunkData.clear();
  } else {
    const int64_t resume = r.in().Position();
    r.in().MoveTo(headerStart);
    id = r.Bytes(4, "the id of an earlier chunk");
    size = r.Number(4, "the size of an earlier chunk");
    body = r.Bytes(size, "the body of an earlier \"" + id + "\"");
    r.in().MoveTo(resume);
  }
  auto chunk = Held(wav.UnknownChunks, "UnknownChunks").Add(id, size, body);
  chunk->WrittenAfter = std::string(kPlaces[PlaceOf(slot) - 1]);
  chunk->FilePosition = headerStart;
}

}  // namespace

int16_t ReadWav(Wav& wav, WavFileStream& in, WavSampleBody* samples) {
  ChunkReader r(in);
  auto& header = Held(wav.FileHeader, "FileHeader");
  header.ChunkId = r.Bytes(4, "the RIFF id");
  // Only a RIFF file's size field is a size: in any other (big-endian "RIFX",
  // "RF64", ...) it is four bytes kept as they are.
  const std::string sizeField = r.Bytes(4, "the RIFF size");
  header.ChunkSize = header.ChunkId == "RIFF" ? ChunkReader::Convert(sizeField, 4, "the RIFF size")
                                              : ChunkReader::PatternOf(sizeField);
  header.ChunkData = r.Bytes(4, "the form type");
  if (header.ChunkId != "RIFF") return 1;
  if (header.ChunkData != "WAVE") return 2;

  std::map<std::string, int64_t> filled;  // slot -> header offset of its chunk met last in this read
  std::string lastModelled = "RIFF";      // where a kept chunk is written back
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
    const int64_t headerStart = in.Position();
    const std::string id = r.Bytes(4, "a chunk id");
    if (id.size() < 4) break;  // one to three stray bytes end the file
    const std::string slot = SlotOf(id);
    // Stray bytes too few for a header end the file as the loop's end test
    // would; a modelled chunk's header cut off by the end fails below.
    if (slot.empty() && in.AtEnd()) break;
    const int32_t size = r.Number(4, "the size of \"" + id + "\"");
    const bool headerWhole = in.Position() - headerStart == 8;
    const int64_t bodyStart = in.Position();
    // A list is modelled by its type. One shorter than its type field holds
    // only what it declares: the pad byte after it is no part of the type.
    std::string listType;
    if (slot == "LIST" && headerWhole && !in.AtEnd()) listType = r.Bytes(std::min<int64_t>(4, size), "the list type");
    const bool modelled = slot == "LIST" ? listType == "adtl" : !slot.empty();
    if (!modelled && !headerWhole) break;
    if (modelled) {
      const bool again = filled.count(slot) != 0 && slot != "wavl";
      const bool merge = again && MergesRecords(slot);
      if (again && !merge) SetAsideEarlier(r, wav, slot, filled[slot]);
      std::string* trailing = ReadModelledChunk(r, wav, id, size, listType, merge, samples);
      filled[slot] = headerStart;
      if (slot != "wavl") lastModelled = slot;
      // The body's bytes that no field took (sampler-specific data, the rest
      // of a list after a sub-chunk it does not model): kept. A chunk whose
      // fields ran past its declared size is never walked back.
      const int64_t end = bodyStart + size;
      if (trailing != nullptr && in.Position() < end && !in.AtEnd()) {
        *trailing += r.Bytes(end - in.Position(), "the rest of \"" + id + "\"");
      }
      in.SkipTo(end);
      if (merge) FinishMergedChunk(wav, slot);
    } else {
      KeepChunk(r, wav, id, size, headerStart, lastModelled, listType);
    }
    afterOddChunk = size % 2 != 0;
  }
  return 0;
}

}  // namespace quendal::detail
