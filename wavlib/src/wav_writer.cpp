// The writer lays the chunks out in one fixed order, the data chunk last,
// recomputes only the RIFF size and writes every other size and count as the
// model holds it (a structured chunk is filled with zero bytes up to its size
// when its fields are fewer). Everything that can be checked is checked before the disk
// is touched; the bytes go to a temporary file beside the target, which
// replaces the target only once it is complete.

#include "wav_writer.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <random>
#include <string_view>
#include <system_error>

#include "quendal/qd_wav_module.h"
#include "quendal/wav_errors.h"

namespace quendal::detail {

namespace {

namespace fs = std::filesystem;
using QDWavModule::LongToBytes;

template <class T>
const T& Held(const std::shared_ptr<T>& object, const char* name) {
  if (!object) throw EmptyReferenceError(std::string(name) + " holds no object, so the file cannot be written");
  return *object;
}

// The optional chunks, in the order they are written, each with its test.
struct ChunkPlan {
  const WavFact* fact = nullptr;
  const WavSlnt* slnt = nullptr;
  const WavCue* cue = nullptr;
  const WavPlst* plst = nullptr;
  const WavList* list = nullptr;
  const WavSmpl* smpl = nullptr;
  const WavInst* inst = nullptr;
  const WavChunk* pad = nullptr;
};

ChunkPlan PlanChunks(const Wav& wav) {
  ChunkPlan plan;
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
  return plan;
}

// Adds a chunk's size plus its 8-byte header to the RIFF size, which must
// stay a 32-bit signed number.
void AddChunk(int64_t& riffSize, int32_t chunkSize, const char* chunk) {
  riffSize += int64_t{chunkSize} + 8;
  if (riffSize > std::numeric_limits<int32_t>::max() || riffSize < std::numeric_limits<int32_t>::min()) {
    throw OverflowError(std::string("the RIFF size exceeds 2147483647 with the ") + chunk +
                        " chunk: the file would be too large for a WAV file");
  }
}

int32_t ComputeRiffSize(const Wav& wav, const ChunkPlan& plan) {
  int64_t riffSize = 4;  // the form type
  AddChunk(riffSize, Held(wav.Fmt_Chunk, "Fmt_Chunk").ChunkSize, "\"fmt \"");
  if (plan.fact) AddChunk(riffSize, plan.fact->ChunkSize, "\"fact\"");
  if (plan.slnt) AddChunk(riffSize, plan.slnt->ChunkSize, "\"slnt\"");
  if (plan.cue) AddChunk(riffSize, plan.cue->ChunkSize, "\"cue \"");
  if (plan.plst) AddChunk(riffSize, plan.plst->ChunkSize, "\"plst\"");
  if (plan.list) AddChunk(riffSize, plan.list->ChunkSize, "list");
  if (plan.smpl) AddChunk(riffSize, plan.smpl->ChunkSize, "\"smpl\"");
  if (plan.inst) AddChunk(riffSize, plan.inst->ChunkSize, "\"inst\"");
  if (plan.pad) AddChunk(riffSize, plan.pad->ChunkSize, "\"PAD \"");
  AddChunk(riffSize, Held(wav.DataChunk, "DataChunk").ChunkSize, "\"data\"");
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

constexpr int64_t kMaxFill = 1024 * 1024;

class ChunkWriter {
 public:
  explicit ChunkWriter(WavFileStream& out) : out_(out) {}
  void Raw(std::string_view bytes) { out_.Write(bytes); }
  void Number(int32_t value, int width) { out_.Write(LongToBytes(value, width)); }
  // Writes a chunk header and returns where its body starts.
  int64_t Header(const std::string& id, int32_t size) {
    Raw(id);
    Number(size, 4);
    return out_.Position();
  }
  // Fills a structured chunk with zero bytes up to the size it declares, when
  // its fields are fewer: the bytes the reader passed over (an INFO list's
  // entries, sampler-specific data) are not in the model, and without the
  // filler the declared size would swallow the start of the next chunk.
  // A gap beyond kMaxFill is no passed-over content but a broken size (a
  // chunk cut off by the end of its file): it is written as held, so a small
  // damaged file never turns into a huge one.
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

 private:
  WavFileStream& out_;
};

void WriteFmt(ChunkWriter& w, const WavFmt& fmt) {
  const int64_t body = w.Header(fmt.ChunkId, fmt.ChunkSize);
  w.Number(fmt.CompressionCode, 2);
  w.Number(fmt.ChannelsNumber, 2);
  w.Number(fmt.SampleRate, 4);
  w.Number(fmt.BytesPerSecond, 4);
  w.Number(fmt.BytesPerSample, 2);
  w.Number(fmt.BitsPerSample, 2);
  if (fmt.ChunkSize > 16) {
    w.Number(fmt.ExtraFormatBytes, 2);
    w.Raw(fmt.ExtraFormatString);
  }
  w.FillTo(body, fmt.ChunkSize);
}

void WriteFact(ChunkWriter& w, const WavFact& fact) {
  w.Header(fact.ChunkId, fact.ChunkSize);
  w.Number(fact.SamplesNumber, 4);
  // A MoreData of spaces only stands for "nothing more".
  if (fact.MoreData.find_first_not_of(' ') != std::string::npos) w.Raw(fact.MoreData);
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
  w.FillTo(body, cue.ChunkSize);
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
  w.FillTo(body, plst.ChunkSize);
}

void WriteList(ChunkWriter& w, const WavList& list) {
  const int64_t body = w.Header(list.ChunkId, list.ChunkSize);
  w.Raw(list.TypeID);
  for (const auto& label : *list.WavLabls) {
    w.Header(label->ChunkId, label->ChunkSize);
    w.Number(label->CuePointID, 4);
    w.Raw(label->LabelText);
  }
  for (const auto& note : *list.WavNotes) {
    w.Header(note->ChunkId, note->ChunkSize);
    w.Number(note->CuePointID, 4);
    w.Raw(note->NoteText);
  }
  for (const auto& text : *list.WavLtxts) {
    w.Header(text->ChunkId, text->ChunkSize);
    w.Number(text->CuePointID, 4);
    w.Number(text->SampleLength, 4);
    w.Raw(text->PurposeID);
    w.Number(text->Country, 2);
    w.Number(text->Language, 2);
    w.Number(text->Dialect, 2);
    w.Number(text->CodePage, 2);
    w.Raw(text->LtxtText);
  }
  w.FillTo(body, list.ChunkSize);
}

void WriteSmpl(ChunkWriter& w, const WavSmpl& smpl) {
  const int64_t body = w.Header(smpl.ChunkId, smpl.ChunkSize);
  w.Number(smpl.Manufacturer, 4);
  w.Number(smpl.Product, 4);
  w.Number(smpl.SamplePeriod, 4);
  w.Number(smpl.MIDIUnityNote, 4);
  w.Number(smpl.MIDIPitchFraction, 4);
  w.Number(smpl.SMPTEFormat, 4);
  w.Number(smpl.SMPTEOffset, 4);
  w.Number(smpl.SampleLoopsNumber, 4);
  w.Number(smpl.SamplerData, 4);
  for (const auto& loop : *smpl.WavSmplLoops) {
    w.Number(loop->CuePointID, 4);
    w.Number(loop->LoopType, 4);
    w.Number(loop->LoopStart, 4);
    w.Number(loop->LoopEnd, 4);
    w.Number(loop->LoopFraction, 4);
    w.Number(loop->LoopPlayCount, 4);
  }
  w.FillTo(body, smpl.ChunkSize);
}

void WriteInst(ChunkWriter& w, const WavInst& inst) {
  const int64_t body = w.Header(inst.ChunkId, inst.ChunkSize);
  for (int16_t field : {inst.UnshiftedNote, inst.FineTune, inst.Gain, inst.LowNote, inst.HighNote,
                        inst.LowVelocity, inst.HighVelocity}) {
    w.Number(field, 1);
  }
  w.FillTo(body, inst.ChunkSize);
}

void WriteAll(ChunkWriter& w, const Wav& wav, const ChunkPlan& plan) {
  w.Raw(wav.FileHeader->ChunkId);
  w.Number(wav.FileHeader->ChunkSize, 4);
  w.Raw(wav.FileHeader->ChunkData);
  WriteFmt(w, *wav.Fmt_Chunk);
  if (plan.fact) WriteFact(w, *plan.fact);
  if (plan.slnt) {
    const int64_t body = w.Header(plan.slnt->ChunkId, plan.slnt->ChunkSize);
    w.Number(plan.slnt->SilentSamplesNumber, 4);
    w.FillTo(body, plan.slnt->ChunkSize);
  }
  if (plan.cue) WriteCue(w, *plan.cue);
  if (plan.plst) WritePlst(w, *plan.plst);
  if (plan.list) WriteList(w, *plan.list);
  if (plan.smpl) WriteSmpl(w, *plan.smpl);
  if (plan.inst) WriteInst(w, *plan.inst);
  if (plan.pad) {
    w.Header(plan.pad->ChunkId, plan.pad->ChunkSize);
    w.Raw(plan.pad->ChunkData);
  }
  w.Header(wav.DataChunk->ChunkId, wav.DataChunk->ChunkSize);
  w.Raw(wav.DataChunk->ChunkData);
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

std::unique_ptr<WavFileStream> CreateTemporaryBeside(const fs::path& target, fs::path& temporary) {
  std::random_device seed;
  std::mt19937_64 random((uint64_t{seed()} << 32) ^ seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = TemporaryNameFor(target, random);
    if (auto stream = WavFileStream::CreateNew(temporary)) return stream;
  }
  throw FileAccessError("cannot create a temporary file beside \"" + target.string() + "\"");
}

// Moves the finished temporary file onto the target, keeping the target's
// permissions when it replaces one.
void MoveIntoPlace(const fs::path& temporary, const fs::path& target) {
  std::error_code error;
  const auto targetStatus = fs::status(target, error);
  if (!error && fs::is_directory(targetStatus)) {
    throw FileAccessError("cannot write \"" + target.string() + "\": it is a folder");
  }
  if (!error && fs::exists(targetStatus)) fs::permissions(temporary, targetStatus.permissions(), error);
  fs::rename(temporary, target, error);
  if (error) throw FileAccessError("cannot replace \"" + target.string() + "\": " + error.message());
}

}  // namespace

int16_t WriteWav(Wav& wav, std::unique_ptr<WavFileStream>& stream, const std::string& path, bool overwrite,
                 const OverwriteQuestion& askOverwrite) {
  std::error_code error;
  if (!overwrite && fs::exists(path, error)) {
    const std::string question = path + " already exists. Do you want to replace it?";
    if (!askOverwrite || !askOverwrite("Saving WAV file", question)) return 1;
  }

  Held(wav.FileHeader, "FileHeader");
  WavChunk& header = *wav.FileHeader;
  const ChunkPlan plan = PlanChunks(wav);
  header.ChunkSize = ComputeRiffSize(wav, plan);
  CheckRecordCounts(plan);

  // Through a symbolic link the file it points to is replaced, not the link.
  fs::path target(path);
  if (fs::is_symlink(target, error)) {
    const fs::path resolved = fs::weakly_canonical(target, error);
    if (!error) target = resolved;
  }
  fs::path temporary;
  stream = CreateTemporaryBeside(target, temporary);
  try {
    ChunkWriter writer(*stream);
    WriteAll(writer, wav, plan);
    stream->Close();
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
