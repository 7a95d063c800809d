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
#include <random>
#include <string_view>
#include <system_error>
#include <vector>

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
    for (const WavUnknownChunk* chunk : plan.kept[place]) AddChunk(riffSize, chunk->ChunkSize, '"' + chunk->ChunkId + '"');
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
      throw NoSuchItemError("CuePointsNumber is " + std::to_string(plan.cue->CuePointsNumber) + " but WavCuePoints holds " +
                            std::to_string(points.Count()) + " cue points; nothing was written");
    }
  }
  if (plan.plst) {
    const auto& segments = Held(plan.plst->WavPlstSegs, "PlstChunk.WavPlstSegs");
    if (plan.plst->SegmentsNumber > segments.Count()) {
      throw NoSuchItemError("SegmentsNumber is " + std::to_string(plan.plst->SegmentsNumber) + " but WavPlstSegs holds " +
                            std::to_string(segments.Count()) + " segments; nothing was written");
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

// The old 14-byte format record has no bits field: of a format chunk smaller
// than 16 bytes only the fields that fit are written.
void WriteFmt(ChunkWriter& w, const WavFmt& fmt) {
  const int64_t body = w.Header(fmt.ChunkId, fmt.ChunkSize);
  const auto field = [&](int end, int32_t value, int width) {
    if (fmt.ChunkSize >= end) w.Number(value, width);
  };
  field(2, fmt.CompressionCode, 2);
  field(4, fmt.ChannelsNumber, 2);
  field(8, fmt.SampleRate, 4);
  field(12, fmt.BytesPerSecond, 4);
  field(14, fmt.BytesPerSample, 2);
  field(16, fmt.BitsPerSample, 2);
  if (fmt.ChunkSize >= 18) {
    w.Number(fmt.ExtraFormatBytes, 2);
    w.Raw(fmt.ExtraFormatString);
  }
  w.EndStructured(body, fmt.ChunkSize, fmt.TrailingBytes);
}

void WriteFact(ChunkWriter& w, const WavFact& fact) {
  const int64_t body = w.Header(fact.ChunkId, fact.ChunkSize);
  w.Number(fact.SamplesNumber, 4);
  // A MoreData of spaces only stands for "nothing more", unless the size
  // counts it (a file read with such bytes keeps them).
  const bool counted = int64_t{fact.ChunkSize} >= 4 + static_cast<int64_t>(fact.MoreData.size());
  if (counted || fact.MoreData.find_first_not_of(' ') != std::string::npos) w.Raw(fact.MoreData);
  w.EndChunk(body, fact.ChunkSize);
}

void WriteCue(ChunkWriter& w, const WavCue& cue) {
  const int64_t body = w.Header(cue.ChunkId, cue.ChunkSize);
  w.Number(cue.CuePointsNumber, 4);
  for (int32_t i = 1; i <= cue.CuePointsNumber; ++i) {
    const auto point = cue.WavCuePoints->Item(i);
    w.Number(point->CueID, 4);
    w.Number(point->CuePosition, 4);
    w.Raw(point->DataChunkID);
    w.Number(point->ChunkStart, 4);
    w.Number(point->BlockStart, 4);
    w.Number(point->SampleOffset, 4);
  }
  w.EndStructured(body, cue.ChunkSize, cue.TrailingBytes);
}

void WritePlst(ChunkWriter& w, const WavPlst& plst) {
  const int64_t body = w.Header(plst.ChunkId, plst.ChunkSize);
  w.Number(plst.SegmentsNumber, 4);
  for (int32_t i = 1; i <= plst.SegmentsNumber; ++i) {
    const auto segment = plst.WavPlstSegs->Item(i);
    w.Number(segment->CuePointID, 4);
    w.Number(segment->NumberOfSamples, 4);
    w.Number(segment->NumberOfRepeats, 4);
  }
  w.EndStructured(body, plst.ChunkSize, plst.TrailingBytes);
}

void WriteLabl(ChunkWriter& w, const WavLabl& label) {
  w.Header(label.ChunkId, label.ChunkSize);
  w.Number(label.CuePointID, 4);
  w.Raw(label.LabelText);
}

void WriteNote(ChunkWriter& w, const WavNote& note) {
  w.Header(note.ChunkId, note.ChunkSize);
  w.Number(note.CuePointID, 4);
  w.Raw(note.NoteText);
}

void WriteLtxt(ChunkWriter& w, const WavLtxt& text) {
  w.Header(text.ChunkId, text.ChunkSize);
  w.Number(text.CuePointID, 4);
  w.Number(text.SampleLength, 4);
  w.Raw(text.PurposeID);
  w.Number(text.Country, 2);
  w.Number(text.Language, 2);
  w.Number(text.Dialect, 2);
  w.Number(text.CodePage, 2);
  w.Raw(text.LtxtText);
}

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

void WriteSmpl(ChunkWriter& w, const WavSmpl& smpl) {
  const int64_t body = w.Header(smpl.ChunkId, smpl.ChunkSize);
  w.Pattern(smpl.Manufacturer);
  w.Pattern(smpl.Product);
  w.Number(smpl.SamplePeriod, 4);
  w.Number(smpl.MIDIUnityNote, 4);
  w.Pattern(smpl.MIDIPitchFraction);
  w.Pattern(smpl.SMPTEFormat);
  w.Pattern(smpl.SMPTEOffset);
  w.Number(smpl.SampleLoopsNumber, 4);
  w.Number(smpl.SamplerData, 4);
  for (const auto& loop : *smpl.WavSmplLoops) {
    w.Number(loop->CuePointID, 4);
    w.Pattern(loop->LoopType);
    w.Number(loop->LoopStart, 4);
    w.Number(loop->LoopEnd, 4);
    w.Pattern(loop->LoopFraction);
    w.Number(loop->LoopPlayCount, 4);
  }
  w.EndStructured(body, smpl.ChunkSize, smpl.TrailingBytes);
}

void WriteInst(ChunkWriter& w, const WavInst& inst) {
  const int64_t body = w.Header(inst.ChunkId, inst.ChunkSize);
  for (int16_t field : {inst.UnshiftedNote, inst.FineTune, inst.Gain, inst.LowNote, inst.HighNote,
                        inst.LowVelocity, inst.HighVelocity}) {
    w.Number(field, 1);
  }
  w.EndStructured(body, inst.ChunkSize, inst.TrailingBytes);
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
  if (plan.fmt) WriteFmt(w, *plan.fmt);
  kept(1);
  if (plan.fact) WriteFact(w, *plan.fact);
  kept(2);
  if (plan.slnt) {
    const int64_t body = w.Header(plan.slnt->ChunkId, plan.slnt->ChunkSize);
    w.Number(plan.slnt->SilentSamplesNumber, 4);
    w.EndStructured(body, plan.slnt->ChunkSize, plan.slnt->TrailingBytes);
  }
  kept(3);
  if (plan.cue) WriteCue(w, *plan.cue);
  kept(4);
  if (plan.plst) WritePlst(w, *plan.plst);
  kept(5);
  if (plan.list) WriteList(w, *plan.list);
  kept(6);
  if (plan.smpl) WriteSmpl(w, *plan.smpl);
  kept(7);
  if (plan.inst) WriteInst(w, *plan.inst);
  kept(8);
  if (plan.pad) WriteRaw(w, *plan.pad);
  kept(9);
  if (plan.data) WriteRaw(w, *plan.data);
  kept(10);
}

// A fresh name beside the target: ".<name>.<random>.tmp" in the same folder,
// so the final rename never crosses file systems.
fs::path TemporaryNameFor(const fs::path& target, std::mt19937_64& random) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string suffix;
  for (uint64_t bits = random(), i = 0; i < 12; ++i, bits >>= 4) suffix += kHex[bits & 0xF];
  std::string name = ".";
  name.append(target.filename().string()).append(".").append(suffix).append(".tmp");
  return target.parent_path() / name;
}

// A new temporary file beside the target, or nullptr when none can be made
// there (a folder the user may not write into, a missing folder).
std::unique_ptr<WavFileStream> CreateTemporaryBeside(const fs::path& target, fs::path& temporary) {
  std::random_device seed;
  std::mt19937_64 random((uint64_t{seed()} << 32) ^ seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = TemporaryNameFor(target, random);
    try {
      if (auto stream = WavFileStream::CreateNew(temporary)) return stream;
    } catch (const FileAccessError&) {
      return nullptr;
    }
  }
  return nullptr;
}

// Moves the finished temporary file onto the target, keeping the target's
// permissions when it replaces one.
void MoveIntoPlace(const fs::path& temporary, const fs::path& target) {
  std::error_code error;
  const auto targetStatus = fs::status(target, error);
  if (!error && fs::exists(targetStatus)) fs::permissions(temporary, targetStatus.permissions(), error);
  fs::rename(temporary, target, error);
  if (error) throw FileAccessError("cannot replace \"" + target.string() + "\": " + error.message());
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
    MoveIntoPlace(temporary, target);
  } catch (...) {
    stream.reset();
    fs::remove(temporary, error);
    throw;
  }
  return 0;
}

}  // namespace quendal::detail
