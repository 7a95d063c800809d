// SPDX-License-Identifier: MIT
// The writer lays the modelled chunks out in one fixed order, the data chunk
// last, with the kept unknown chunks after the modelled chunk each followed;
// it recomputes only the RIFF size and writes every other size and count as
// the model holds it (a structured chunk is filled with zero bytes up to its
// size when its fields and trailing bytes are fewer), with a pad byte after
// every odd-sized chunk. Everything that can be checked is checked before the
// disk is touched; the bytes go to a temporary file beside the target, which
// replaces the target only once it is complete.

#include "wav_writer.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>
#include <string_view>
#include <system_error>
#include <vector>

#include "chunk_fields.h"
#include "quendal/atomic_file.h"
#include "quendal/qd_wav_module.h"
#include "quendal/wav_errors.h"
#include "wav_layout.h"

namespace quendal::detail {

namespace {

namespace fs = std::filesystem;
using QDWavModule::LongToBytes;

template <class T>
const T& Held(const std::shared_ptr<T>& object, const char* name) {
  if (!object) throw EmptyReferenceError(std::string(name) + " holds no object, so the file cannot be written");
  return *object;
}

// The optional chunks, in the order they are written, each with its test,
// and the kept chunks grouped by the place they are written at.
struct ChunkPlan {
  const WavFmt* fmt = nullptr;
  const WavFact* fact = nullptr;
  const WavSlnt* slnt = nullptr;
  const WavCue* cue = nullptr;
  const WavPlst* plst = nullptr;
  const WavList* list = nullptr;
  const WavSmpl* smpl = nullptr;
  const WavInst* inst = nullptr;
  const WavChunk* pad = nullptr;
  const WavChunk* data = nullptr;
  std::array<std::vector<const WavUnknownChunk*>, kPlaces.size()> kept;
};

// The format and data chunks are written with whatever id they hold, but not
// at all when it is empty (a model without them, such as a header-only file
// read): an empty id would leave a headless fragment in the file.
ChunkPlan PlanChunks(const Wav& wav) {
  ChunkPlan plan;
  const auto& fmt = Held(wav.Fmt_Chunk, "Fmt_Chunk");
  if (!fmt.ChunkId.empty()) plan.fmt = &fmt;
  const auto& data = Held(wav.DataChunk, "DataChunk");
  if (!data.ChunkId.empty()) plan.data = &data;
  const auto& fact = Held(wav.FactChunk, "FactChunk");
  if (fact.ChunkId == "fact") plan.fact = &fact;
  const auto& slnt = Held(wav.SlntChunk, "SlntChunk");
  if (slnt.ChunkId == "slnt") plan.slnt = &slnt;
  const auto& cue = Held(wav.CueChunk, "CueChunk");
  if (cue.ChunkId == "cue ") plan.cue = &cue;
  const auto& plst = Held(wav.PlstChunk, "PlstChunk");
  if (plst.ChunkId == "plst") plan.plst = &plst;
  const auto& list = Held(wav.ListChunk, "ListChunk");
  if (list.ChunkId == "list" || list.ChunkId == "LIST") plan.list = &list;
  const auto& smpl = Held(wav.SmplChunk, "SmplChunk");
  if (smpl.ChunkId == "smpl") plan.smpl = &smpl;
  const auto& inst = Held(wav.InstChunk, "InstChunk");
  if (inst.ChunkId == "inst") plan.inst = &inst;
  const auto& pad = Held(wav.PAD_Chunk, "PAD_Chunk");
  if (pad.ChunkId == "PAD ") plan.pad = &pad;
  for (const auto& chunk : Held(wav.UnknownChunks, "UnknownChunks")) {
    if (!chunk) throw EmptyReferenceError("an item of UnknownChunks holds no object, so the file cannot be written");
    plan.kept[PlaceOf(chunk->WrittenAfter)].push_back(chunk.get());
  }
  return plan;
}

// Adds a chunk's size, its 8-byte header and its pad byte to the RIFF size,
// which must stay a 32-bit signed number.
void AddChunk(int64_t& riffSize, int32_t chunkSize, const std::string& chunk) {
  riffSize += int64_t{chunkSize} + 8 + (chunkSize % 2 != 0 ? 1 : 0);
  if (riffSize > std::numeric_limits<int32_t>::max() || riffSize < std::numeric_limits<int32_t>::min()) {
    throw OverflowError("the RIFF size exceeds 2147483647 with the " + chunk +
                        " chunk: the file would be too large for a WAV file");
  }
}

int32_t ComputeRiffSize(const ChunkPlan& plan) {
  int64_t riffSize = 4;  // the form type
  const auto addKept = [&](std::size_t place) {
    for (const WavUnknownChunk* chunk : plan.kept[place])
      AddChunk(riffSize, chunk->ChunkSize, '"' + chunk->ChunkId + '"');
  };
  addKept(0);
  if (plan.fmt) AddChunk(riffSize, plan.fmt->ChunkSize, "\"fmt \"");
  addKept(1);
  if (plan.fact) AddChunk(riffSize, plan.fact->ChunkSize, "\"fact\"");
  addKept(2);
  if (plan.slnt) AddChunk(riffSize, plan.slnt->ChunkSize, "\"slnt\"");
  addKept(3);
  if (plan.cue) AddChunk(riffSize, plan.cue->ChunkSize, "\"cue \"");
  addKept(4);
  if (plan.plst) AddChunk(riffSize, plan.plst->ChunkSize, "\"plst\"");
  addKept(5);
  if (plan.list) AddChunk(riffSize, plan.list->ChunkSize, "list");
  addKept(6);
  if (plan.smpl) AddChunk(riffSize, plan.smpl->ChunkSize, "\"smpl\"");
  addKept(7);
  if (plan.inst) AddChunk(riffSize, plan.inst->ChunkSize, "\"inst\"");
  addKept(8);
  if (plan.pad) AddChunk(riffSize, plan.pad->ChunkSize, "\"PAD \"");
  addKept(9);
  if (plan.data) AddChunk(riffSize, plan.data->ChunkSize, "\"data\"");
  addKept(10);
  return static_cast<int32_t>(riffSize);
}

// Cue points and playlist segments are written up to their stored counts;
// a count beyond the collection would leave a broken file, so it fails here.
void CheckRecordCounts(const ChunkPlan& plan) {
  if (plan.cue) {
    const auto& points = Held(plan.cue->WavCuePoints, "CueChunk.WavCuePoints");
    if (plan.cue->CuePointsNumber > points.Count()) {
      throw NoSuchItemError("CuePointsNumber is " + std::to_string(plan.cue->CuePointsNumber) +
                            " but WavCuePoints holds " + std::to_string(points.Count()) +
                            " cue points; nothing was written");
    }
  }
  if (plan.plst) {
    const auto& segments = Held(plan.plst->WavPlstSegs, "PlstChunk.WavPlstSegs");
    if (plan.plst->SegmentsNumber > segments.Count()) {
      throw NoSuchItemError("SegmentsNumber is " + std::to_string(plan.plst->SegmentsNumber) +
                            " but WavPlstSegs holds " + std::to_string(segments.Count()) +
                            " segments; nothing was written");
    }
  }
  if (plan.list) {
    Held(plan.list->WavLabls, "ListChunk.WavLabls");
    Held(plan.list->WavNotes, "ListChunk.WavNotes");
    Held(plan.list->WavLtxts, "ListChunk.WavLtxts");
  }
  if (plan.smpl) Held(plan.smpl->WavSmplLoops, "SmplChunk.WavSmplLoops");
}

constexpr int64_t kMaxFill = 64 * 1024;  // far more than any real sampler data or INFO list

class ChunkWriter {
 public:
  explicit ChunkWriter(WavFileStream& out) : out_(out) {}
  void Raw(std::string_view bytes) { out_.Write(bytes); }
  void Number(int32_t value, int width) { out_.Write(LongToBytes(value, width)); }
  // A bit-pattern field: the four bytes of the signed value, as read.
  void Pattern(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    const char bytes[4] = {static_cast<char>(bits & 0xFF), static_cast<char>((bits >> 8) & 0xFF),
                           static_cast<char>((bits >> 16) & 0xFF), static_cast<char>(bits >> 24)};
    out_.Write(std::string_view(bytes, 4));
  }
  // Writes a chunk header and returns where its body starts.
  int64_t Header(const std::string& id, int32_t size) {
    Raw(id);
    Number(size, 4);
    return out_.Position();
  }
  // Fills a structured chunk with zero bytes up to the size it declares, when
  // its fields are fewer (a model built with a larger size than its fields):
  // without the filler the declared size would swallow the start of the next
  // chunk. A gap beyond kMaxFill is no content but a broken size (a chunk cut
  // off by the end of its file): it is written as held, so a small damaged
  // file never turns into a huge one.
  void FillTo(int64_t bodyStart, int32_t size) {
    static const std::string zeros(65536, '\0');
    int64_t missing = bodyStart + size - out_.Position();
    if (missing > kMaxFill) return;
    while (missing > 0) {
      const auto step = static_cast<std::size_t>(std::min<int64_t>(missing, static_cast<int64_t>(zeros.size())));
      out_.Write(std::string_view(zeros).substr(0, step));
      missing -= static_cast<int64_t>(step);
    }
  }
  // The pad byte after a chunk of odd size whose body was written in full
  // (one cut short by the end of the file it came from stays as it was).
  void EndChunk(int64_t bodyStart, int32_t size) {
    if (size % 2 != 0 && out_.Position() >= bodyStart + size) Raw(std::string_view("\0", 1));
  }
  // The end of a structured chunk: its trailing bytes, the filler, the pad.
  void EndStructured(int64_t bodyStart, int32_t size, const std::string& trailingBytes) {
    Raw(trailingBytes);
    FillTo(bodyStart, size);
    EndChunk(bodyStart, size);
  }

 private:
  WavFileStream& out_;
};

// Writes the fields a field list (chunk_fields.h) names, in file order.
// With cutBySize only the fields that fit `size` are written (of a format
// chunk smaller than 16 bytes: the old 14-byte record has no bits field).
class FieldWriter {
 public:
  FieldWriter(ChunkWriter& w, int32_t size, bool cutBySize = false) : w_(w), size_(size), cutBySize_(cutBySize) {}

  void Number(const char*, int32_t value, int width, const char*) {
    if (!cutBySize_ || offset_ + width <= size_) w_.Number(value, width);
    offset_ += width;
  }
  void Pattern(const char*, int32_t value, const char*) { w_.Pattern(value), offset_ += 4; }
  void Code(const char*, const std::string& value, const char*) { w_.Raw(value), offset_ += 4; }
  void NamedNumber(const char*, const std::string&, const char* name, int32_t value, int width, const char* what) {
    Number(name, value, width, what);
  }
  void SizedTail(const char*, int32_t count, const char*, const std::string& bytes, const char*) {
    if (cutBySize_ && offset_ + 2 > size_) return;
    w_.Number(count, 2);
    w_.Raw(bytes);
  }
  // A Rest of spaces only stands for "nothing more", unless the size counts
  // it (a file read with such bytes keeps them).
  void Rest(const char*, const std::string& bytes, const char*) {
    const bool counted = int64_t{size_} >= offset_ + static_cast<int64_t>(bytes.size());
    if (counted || bytes.find_first_not_of(' ') != std::string::npos) w_.Raw(bytes);
  }
  void Count(const char* name, int32_t value, const char* what) {
    Number(name, value, 4, what);
    count_ = value;
  }
  void Sum(const char* name, int32_t value, const char* what) { Number(name, value, 4, what); }
  // Checked before the disk is touched: the collection is there and holds
  // the count (CheckRecordCounts).
  template <class Collection, class Fields>
  void Records(const char*, const std::shared_ptr<Collection>& collection, const char*, bool allWritten,
               Fields fields) {
    const int32_t written = allWritten ? collection->Count() : count_;
    for (int32_t i = 1; i <= written; ++i) {
      FieldWriter item(w_, 0);
      fields(item, *collection->Item(i));
    }
  }
  void Text(const char*, const std::string& text) { w_.Raw(text); }
  void Trailing(const char*, const std::string& bytes) { w_.Raw(bytes); }

 private:
  ChunkWriter& w_;
  int32_t size_;
  bool cutBySize_;
  int64_t offset_ = 0;
  int32_t count_ = 0;
};

// A structured chunk: its header, the fields its list names, then the filler
// and the pad byte.
template <class T, class Fields>
void WriteStructured(ChunkWriter& w, const T& chunk, Fields fields, bool cutBySize = false) {
  const int64_t body = w.Header(chunk.ChunkId, chunk.ChunkSize);
  FieldWriter writer(w, chunk.ChunkSize, cutBySize);
  fields(writer, chunk);
  w.FillTo(body, chunk.ChunkSize);
  w.EndChunk(body, chunk.ChunkSize);
}

// A list item: its header and its fields, with neither filler nor pad byte.
template <class T, class Fields>
void WriteItem(ChunkWriter& w, const T& item, Fields fields) {
  w.Header(item.ChunkId, item.ChunkSize);
  FieldWriter writer(w, item.ChunkSize);
  fields(writer, item);
}

// No filler: a fact chunk's size may count more than its fields.
void WriteFact(ChunkWriter& w, const WavFact& fact) {
  const int64_t body = w.Header(fact.ChunkId, fact.ChunkSize);
  FieldWriter writer(w, fact.ChunkSize);
  FactFields(writer, fact);
  w.EndChunk(body, fact.ChunkSize);
}

void WriteLabl(ChunkWriter& w, const WavLabl& label) { WriteItem(w, label, LablFields<FieldWriter, const WavLabl>); }
void WriteNote(ChunkWriter& w, const WavNote& note) { WriteItem(w, note, NoteFields<FieldWriter, const WavNote>); }
void WriteLtxt(ChunkWriter& w, const WavLtxt& text) { WriteItem(w, text, LtxtFields<FieldWriter, const WavLtxt>); }

// The items in the order they were read as far as it goes, then the rest:
// labels, notes, labelled texts.
void WriteList(ChunkWriter& w, const WavList& list) {
  const int64_t body = w.Header(list.ChunkId, list.ChunkSize);
  w.Raw(list.TypeID);
  int32_t labels = 0, notes = 0, texts = 0;
  for (const WavListItemKind kind : list.ItemOrder) {
    if (kind == WavListItemKind::Labl && labels < list.WavLabls->Count()) WriteLabl(w, *list.WavLabls->Item(++labels));
    if (kind == WavListItemKind::Note && notes < list.WavNotes->Count()) WriteNote(w, *list.WavNotes->Item(++notes));
    if (kind == WavListItemKind::Ltxt && texts < list.WavLtxts->Count()) WriteLtxt(w, *list.WavLtxts->Item(++texts));
  }
  while (labels < list.WavLabls->Count()) WriteLabl(w, *list.WavLabls->Item(++labels));
  while (notes < list.WavNotes->Count()) WriteNote(w, *list.WavNotes->Item(++notes));
  while (texts < list.WavLtxts->Count()) WriteLtxt(w, *list.WavLtxts->Item(++texts));
  w.EndStructured(body, list.ChunkSize, list.TrailingBytes);
}

// A chunk whose body is one byte string (data, "PAD ", a kept chunk).
void WriteRaw(ChunkWriter& w, const WavChunk& chunk) {
  const int64_t body = w.Header(chunk.ChunkId, chunk.ChunkSize);
  w.Raw(chunk.ChunkData);
  w.EndChunk(body, chunk.ChunkSize);
}

void WriteAll(ChunkWriter& w, const Wav& wav, const ChunkPlan& plan) {
  const auto kept = [&](std::size_t place) {
    for (const WavUnknownChunk* chunk : plan.kept[place]) WriteRaw(w, *chunk);
  };
  w.Raw(wav.FileHeader->ChunkId);
  w.Number(wav.FileHeader->ChunkSize, 4);
  w.Raw(wav.FileHeader->ChunkData);
  kept(0);
  if (plan.fmt) WriteStructured(w, *plan.fmt, FmtFields<FieldWriter, const WavFmt>, true);
  kept(1);
  if (plan.fact) WriteFact(w, *plan.fact);
  kept(2);
  if (plan.slnt) WriteStructured(w, *plan.slnt, SlntFields<FieldWriter, const WavSlnt>);
  kept(3);
  if (plan.cue) WriteStructured(w, *plan.cue, CueFields<FieldWriter, const WavCue>);
  kept(4);
  if (plan.plst) WriteStructured(w, *plan.plst, PlstFields<FieldWriter, const WavPlst>);
  kept(5);
  if (plan.list) WriteList(w, *plan.list);
  kept(6);
  if (plan.smpl) WriteStructured(w, *plan.smpl, SmplFields<FieldWriter, const WavSmpl>);
  kept(7);
  if (plan.inst) WriteStructured(w, *plan.inst, InstFields<FieldWriter, const WavInst>);
  kept(8);
  if (plan.pad) WriteRaw(w, *plan.pad);
  kept(9);
  if (plan.data) WriteRaw(w, *plan.data);
  kept(10);
}

// A new temporary file beside the target, or nullptr when none can be made
// there (a folder the user may not write into, a missing folder).
std::unique_ptr<WavFileStream> CreateTemporaryBeside(const fs::path& target, fs::path& temporary) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = TemporaryPathBeside(target);
    try {
      if (auto stream = WavFileStream::CreateNew(temporary)) return stream;
    } catch (const FileAccessError&) {
      return nullptr;
    }
  }
  return nullptr;
}

void WriteTo(WavFileStream& stream, const Wav& wav, const ChunkPlan& plan) {
  ChunkWriter writer(stream);
  WriteAll(writer, wav, plan);
  stream.Close();
}

// What will be written, checked, with the RIFF size set in the model's header.
ChunkPlan PlanFile(Wav& wav) {
  Held(wav.FileHeader, "FileHeader");
  const ChunkPlan plan = PlanChunks(wav);
  wav.FileHeader->ChunkSize = ComputeRiffSize(plan);
  CheckRecordCounts(plan);
  return plan;
}

}  // namespace

void WriteWavTo(Wav& wav, WavFileStream& stream) { WriteTo(stream, wav, PlanFile(wav)); }

int16_t WriteWav(Wav& wav, std::unique_ptr<WavFileStream>& stream, const std::string& path, bool overwrite,
                 const OverwriteQuestion& askOverwrite) {
  std::error_code error;
  if (!overwrite && fs::exists(path, error)) {
    const std::string question = path + " already exists. Do you want to replace it?";
    if (!askOverwrite || !askOverwrite("Saving WAV file", question)) return 1;
  }

  const ChunkPlan plan = PlanFile(wav);

  // Through a symbolic link the file it points to is replaced, not the link.
  fs::path target(path);
  if (fs::is_symlink(target, error)) {
    const fs::path resolved = fs::weakly_canonical(target, error);
    if (!error) target = resolved;
  }
  // A file the user may not write is refused, as a direct write would be.
  const auto targetStatus = fs::status(target, error);
  if (!error && fs::is_directory(targetStatus)) {
    throw FileAccessError("cannot write \"" + target.string() + "\": it is a folder");
  }
  if (!error && fs::exists(targetStatus)) WavFileStream::CheckWritable(target);

  fs::path temporary;
  stream = CreateTemporaryBeside(target, temporary);
  if (!stream) {
    // No temporary file can be made beside the target: write it in place.
    stream = WavFileStream::CreateOrTruncate(target);
    WriteTo(*stream, wav, plan);
    stream.reset();
    return 0;
  }
  try {
    WriteTo(*stream, wav, plan);
    stream.reset();
    ReplaceWithTemporary(temporary, target);
  } catch (...) {
    stream.reset();
    fs::remove(temporary, error);
    throw;
  }
  return 0;
}

}  // namespace quendal::detail
