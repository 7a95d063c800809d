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
#include <utility>
#include <vector>

#include "chunk_fields.h"
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

void AddRecord(WavCuePoints& points, const WavCuePoint& p) {
  points.Add(p.CueID, p.CuePosition, p.DataChunkID, p.ChunkStart, p.BlockStart, p.SampleOffset);
}
void AddRecord(WavPlstSegs& segments, const WavPlstSeg& s) {
  segments.Add(s.CuePointID, s.NumberOfSamples, s.NumberOfRepeats);
}
void AddRecord(WavSmplLoops& loops, const WavSmplLoop& l) {
  loops.Add(l.CuePointID, l.LoopType, l.LoopStart, l.LoopEnd, l.LoopFraction, l.LoopPlayCount);
}

std::string ReadSubChunkText(ChunkReader& r, int32_t size, int32_t textLength, int32_t& remaining,
                             const std::string& what);

// Reads the fields a field list (chunk_fields.h) names into the object, in
// file order. Each field's what, with `suffix` (" of \"smpl\""), names it in
// messages; a record's fields all carry the record's name instead. With
// cutBySize only the fields that fit `size` are read (of the format chunk),
// a field cut off staying 0. The counts and sums of a chunk merged into an
// earlier one add to the earlier ones, as its records follow them.
class FieldReader {
 public:
  FieldReader(ChunkReader& r, std::string suffix, std::string owner, int32_t size)
      : r_(r), suffix_(std::move(suffix)), owner_(std::move(owner)), size_(size) {}

  FieldReader& Merging(bool merge) { return merge_ = merge, *this; }
  FieldReader& CutBySize() { return cutBySize_ = true, *this; }
  FieldReader& Record(std::string what) { return recordWhat_ = std::move(what), *this; }
  // A list item's text: remaining is what is left of the list.
  FieldReader& ListItem(std::string what, int32_t& remaining) {
    return itemWhat_ = std::move(what), remaining_ = &remaining, *this;
  }

  template <class M>
  void Number(const char*, M& member, int width, const char* what) {
    member = static_cast<M>(Fits(width) ? r_.Number(width, What(what)) : 0);
    offset_ += width;
  }
  void Pattern(const char*, int32_t& member, const char* what) {
    member = r_.Pattern(What(what));
    offset_ += 4;
  }
  void Code(const char*, std::string& member, const char* what) {
    member = r_.Bytes(4, What(what));
    offset_ += 4;
  }
  void NamedNumber(const char*, std::string& desc, const char* name, int32_t& member, int width, const char* what) {
    Number(name, member, width, what);
    desc = QDWavModule::CompressionDesc(member);
  }
  void SizedTail(const char*, int32_t& count, const char*, std::string& bytes, const char* what) {
    if (Fits(2)) {
      count = r_.Number(2, What(std::string(what) + " size"));
      bytes = r_.Bytes(int64_t{size_} - offset_ - 2, What(std::string(what) + " bytes"));
    } else {
      count = 0;
      bytes.clear();
    }
  }
  void Rest(const char*, std::string& member, const char* what) {
    member = r_.Bytes(int64_t{size_} - offset_, What(what));
  }
  void Count(const char* name, int32_t& member, const char* what) {
    Sum(name, member, what);
    count_ = pending_.back();
  }
  void Sum(const char*, int32_t& member, const char* what) {
    const std::string words = What(what);
    pending_.push_back({&member, r_.Number(4, words), words});
    offset_ += 4;
  }
  template <class Collection, class Fields>
  void Records(const char* name, const std::shared_ptr<Collection>& collection, const char* record, bool,
               Fields fields) {
    for (const Pending& p : pending_) *p.member = merge_ ? AddCounts(*p.member, p.value, p.what) : p.value;
    pending_.clear();
    CheckRecordCount(count_.value, count_.what);
    auto& items = Held(collection, (owner_ + "." + name).c_str());
    for (int32_t i = 1; i <= count_.value; ++i) {
      typename Collection::value_type::element_type item;
      FieldReader itemReader(r_, {}, owner_, 0);
      itemReader.Record(record + (" " + std::to_string(i)) + suffix_);
      fields(itemReader, item);
      AddRecord(items, item);
    }
  }
  void Text(const char*, std::string& member) {
    member = ReadSubChunkText(r_, size_, size_ - static_cast<int32_t>(offset_), *remaining_, itemWhat_);
  }
  void Trailing(const char*, std::string&) {}  // the chunk walk takes the rest of the body

 private:
  struct Pending {
    int32_t* member = nullptr;
    int32_t value = 0;
    std::string what;
  };

  bool Fits(int width) const { return !cutBySize_ || offset_ + width <= size_; }
  std::string What(const std::string& what) const { return recordWhat_.empty() ? what + suffix_ : recordWhat_; }

  ChunkReader& r_;
  std::string suffix_;
  std::string owner_;  // the member of Wav, for the message of a missing collection
  int32_t size_;
  bool merge_ = false;
  bool cutBySize_ = false;
  std::string recordWhat_;
  std::string itemWhat_;
  int32_t* remaining_ = nullptr;
  int64_t offset_ = 0;
  std::vector<Pending> pending_;
  Pending count_;
};

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
    if (id == "labl" || id == "note" || id == "ltxt") {
      const std::string what = (id == "ltxt" ? "an \"" : "a \"") + id + "\" sub-chunk";
      const int32_t subSize = r.Number(4, "the size of " + what);
      FieldReader fields(r, " of " + what, "ListChunk", subSize);
      fields.ListItem(what, remaining);
      if (id == "labl") {
        WavLabl label;
        LablFields(fields, label);
        Held(list.WavLabls, "ListChunk.WavLabls").Add(id, subSize, label.CuePointID, label.LabelText);
        list.ItemOrder.push_back(WavListItemKind::Labl);
      } else if (id == "note") {
        WavNote note;
        NoteFields(fields, note);
        Held(list.WavNotes, "ListChunk.WavNotes").Add(id, subSize, note.CuePointID, note.NoteText);
        list.ItemOrder.push_back(WavListItemKind::Note);
      } else {
        WavLtxt text;
        LtxtFields(fields, text);
        Held(list.WavLtxts, "ListChunk.WavLtxts")
            .Add(id, subSize, text.CuePointID, text.SampleLength, text.PurposeID, text.Country, text.Language,
                 text.Dialect, text.CodePage, text.LtxtText);
        list.ItemOrder.push_back(WavListItemKind::Ltxt);
      }
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
    FieldReader fields(r, " of \"fmt \"", "Fmt_Chunk", size);
    FmtFields(fields.CutBySize(), fmt);
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
    FieldReader fields(r, " of \"fact\"", "FactChunk", size);
    FactFields(fields, StartChunk(wav.FactChunk, "FactChunk", id, size));
    return nullptr;
  }
  if (id == "slnt") {
    auto& slnt = StartChunk(wav.SlntChunk, "SlntChunk", id, size);
    FieldReader fields(r, " of \"slnt\"", "SlntChunk", size);
    SlntFields(fields, slnt);
    return &slnt.TrailingBytes;
  }
  if (id == "cue ") {
    auto& cue = StartChunk(wav.CueChunk, "CueChunk", id, size, merge);
    FieldReader fields(r, " of \"cue \"", "CueChunk", size);
    CueFields(fields.Merging(merge), cue);
    return &cue.TrailingBytes;
  }
  if (id == "plst") {
    auto& plst = StartChunk(wav.PlstChunk, "PlstChunk", id, size, merge);
    FieldReader fields(r, " of \"plst\"", "PlstChunk", size);
    PlstFields(fields.Merging(merge), plst);
    return &plst.TrailingBytes;
  }
  if (id == "list" || id == "LIST") {
    auto& list = StartChunk(wav.ListChunk, "ListChunk", id, size, merge);
    ReadList(r, list, size, listType);
    return &list.TrailingBytes;
  }
  if (id == "smpl") {
    auto& smpl = StartChunk(wav.SmplChunk, "SmplChunk", id, size, merge);
    FieldReader fields(r, " of \"smpl\"", "SmplChunk", size);
    SmplFields(fields.Merging(merge), smpl);
    return &smpl.TrailingBytes;
  }
  auto& inst = StartChunk(wav.InstChunk, "InstChunk", id, size);
  FieldReader fields(r, " of \"inst\"", "InstChunk", size);
  InstFields(fields, inst);
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
