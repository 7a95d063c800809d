// The shared corpus of real-world and synthetic WAV files: every RIFF/WAVE
// file of the valid and real-world sets reads to its end with the chunks that
// chunks.json lists (an independent walker's view), and writes back to a file
// that reads the same; every other file reads or fails with a WavError.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "mini_json.h"
#include "quendal/quendal_wav.h"
#include "test_support.h"

using namespace quendal;
using namespace wavtest;

namespace {

const fs::path kCorpus = NTR_WAV_CORPUS_DIR;

struct ListedChunk {
  std::string id;
  int64_t offset = 0, size = 0, available = 0;
};

struct ListedFile {
  std::string name, header, form;
  std::vector<ListedChunk> chunks;
};

std::vector<ListedFile> LoadListing() {
  const Json root = JsonParser::Parse(ReadAll(kCorpus / "chunks.json"));
  std::vector<ListedFile> files;
  for (const auto& [name, entry] : root.members) {
    ListedFile file{name, entry["header"].text, entry["form"].text, {}};
    for (const Json& c : entry["chunks"].items) {
      file.chunks.push_back({c["id"].text, c["offset"].number, c["size"].number, c["available"].number});
    }
    files.push_back(std::move(file));
  }
  return files;
}

bool MustRead(const ListedFile& file) {
  return file.name.rfind("real-world/", 0) == 0 || file.name.rfind("synthetic/valid/", 0) == 0;
}

uint32_t U32At(const std::string& bytes, int64_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v * 256 + static_cast<unsigned char>(bytes[static_cast<std::size_t>(at + i)]);
  return v;
}

// Whether a "smpl" chunk holds a field of 2^31 or more, which the model's
// 32-bit fields cannot hold (a half-semitone pitch fraction, for instance):
// such a file fails with an overflow error by design.
bool HasSmplFieldOf2To31(const std::string& bytes, const ListedFile& file) {
  for (const auto& c : file.chunks) {
    if (c.id != "smpl") continue;
    const int64_t body = c.offset + 8;
    const int64_t fields = std::min<int64_t>(c.available, 36 + 24 * int64_t{U32At(bytes, body + 28)}) / 4;
    for (int64_t i = 0; i < fields; ++i) {
      if (U32At(bytes, body + 4 * i) >= 0x80000000u) return true;
    }
  }
  return false;
}

const std::set<std::string> kModelled = {"fmt ", "data", "fact", "wavl", "slnt", "cue ",
                                         "plst", "list", "LIST", "smpl", "inst", "PAD "};

// The model holds what the listing says of each modelled chunk (the last
// one of an id, as the reader keeps the later values).
void ExpectModelMatches(const Wav& wav, const ListedFile& file, const std::string& bytes) {
  std::map<std::string, ListedChunk> last;
  int64_t cuePoints = 0, loops = 0;
  for (const auto& c : file.chunks) {
    if (kModelled.count(c.id) == 0) continue;
    last[c.id == "list" ? "LIST" : c.id] = c;
    if (c.id == "cue ") cuePoints += U32At(bytes, c.offset + 8);
    if (c.id == "smpl") loops += U32At(bytes, c.offset + 36);
  }
  const auto check = [&](const char* key, const std::string& id, int32_t size) {
    const auto found = last.find(key);
    if (found == last.end()) {
      EXPECT_EQ(id, "") << key;
      return;
    }
    EXPECT_EQ(id, found->second.id) << key;
    EXPECT_EQ(size, found->second.size) << key;
  };
  check("fmt ", wav.Fmt_Chunk->ChunkId, wav.Fmt_Chunk->ChunkSize);
  check("data", wav.DataChunk->ChunkId, wav.DataChunk->ChunkSize);
  check("fact", wav.FactChunk->ChunkId, wav.FactChunk->ChunkSize);
  check("wavl", wav.WavlChunk->ChunkId, wav.WavlChunk->ChunkSize);
  check("slnt", wav.SlntChunk->ChunkId, wav.SlntChunk->ChunkSize);
  check("cue ", wav.CueChunk->ChunkId, wav.CueChunk->ChunkSize);
  check("plst", wav.PlstChunk->ChunkId, wav.PlstChunk->ChunkSize);
  check("LIST", wav.ListChunk->ChunkId, wav.ListChunk->ChunkSize);
  check("smpl", wav.SmplChunk->ChunkId, wav.SmplChunk->ChunkSize);
  check("inst", wav.InstChunk->ChunkId, wav.InstChunk->ChunkSize);
  check("PAD ", wav.PAD_Chunk->ChunkId, wav.PAD_Chunk->ChunkSize);
  if (last.count("data")) {
    const auto& d = last["data"];
    EXPECT_EQ(wav.DataChunk->ChunkData, bytes.substr(static_cast<std::size_t>(d.offset + 8), d.available));
  }
  if (last.count("fmt ")) {
    EXPECT_EQ(wav.Fmt_Chunk->SampleRate, static_cast<int32_t>(U32At(bytes, last["fmt "].offset + 12)));
  }
  if (last.count("PAD ")) {
    EXPECT_EQ(wav.PAD_Chunk->ChunkData.size(), static_cast<std::size_t>(last["PAD "].available));
  }
  EXPECT_EQ(wav.CueChunk->WavCuePoints->Count(), cuePoints);
  EXPECT_EQ(wav.SmplChunk->WavSmplLoops->Count(), loops);
}

// Written back and read again, the modelled chunks come back the same.
// (A file with two list chunks has one list in the model, holding the items of
// both under the later size, so its labels are compared only for single lists.)
void ExpectRoundTrip(Wav& wav, const TempDir& dir, bool singleList) {
  const std::string copy = dir.File("copy.wav");
  ASSERT_EQ(wav.PutWavFile(copy, true), 0);
  Wav back;
  ASSERT_EQ(back.GetWavFile(copy), 0);
  EXPECT_EQ(back.Fmt_Chunk->ChunkId, wav.Fmt_Chunk->ChunkId);
  EXPECT_EQ(back.Fmt_Chunk->SampleRate, wav.Fmt_Chunk->SampleRate);
  EXPECT_EQ(back.Fmt_Chunk->ExtraFormatString, wav.Fmt_Chunk->ExtraFormatString);
  EXPECT_EQ(back.DataChunk->ChunkData, wav.DataChunk->ChunkData);
  EXPECT_EQ(back.SmplChunk->ChunkId, wav.SmplChunk->ChunkId);
  EXPECT_EQ(back.CueChunk->WavCuePoints->Count(), wav.CueChunk->CuePointsNumber);
  if (singleList) {
    EXPECT_EQ(back.ListChunk->WavLabls->Count(), wav.ListChunk->WavLabls->Count());
  }
  EXPECT_EQ(back.InstChunk->ChunkId, wav.InstChunk->ChunkId);
}

}  // namespace

TEST(Corpus, ValidAndRealWorldFilesReadToTheirEnd) {
  ASSERT_TRUE(fs::exists(kCorpus / "chunks.json")) << "the WAV corpus is missing: " << kCorpus;
  const auto listing = LoadListing();
  TempDir dir;
  int read = 0, refusedByDesign = 0;
  for (const auto& file : listing) {
    if (!MustRead(file)) continue;
    SCOPED_TRACE(file.name);
    const std::string path = (kCorpus / file.name).string();
    const std::string bytes = ReadAll(path);
    Wav wav;
    if (file.header != "RIFF") {  // "RIFX" (big-endian) and "RF64" are other formats
      EXPECT_EQ(wav.GetWavFile(path), 1);
      continue;
    }
    if (HasSmplFieldOf2To31(bytes, file)) {
      EXPECT_THROW(wav.GetWavFile(path), OverflowError);
      EXPECT_EQ(wav.SmplChunk->ChunkId, "smpl");
      ++refusedByDesign;
      continue;
    }
    ASSERT_EQ(wav.GetWavFile(path), 0);
    ExpectModelMatches(wav, file, bytes);
    const auto lists = std::count_if(file.chunks.begin(), file.chunks.end(),
                                     [](const ListedChunk& c) { return c.id == "LIST" || c.id == "list"; });
    ExpectRoundTrip(wav, dir, lists <= 1);
    ++read;
  }
  EXPECT_GE(read, 60);
  RecordProperty("read", read);
  RecordProperty("overflow_by_design", refusedByDesign);
}

TEST(Corpus, InvalidAndUnsupportedFilesReadOrFailClearly) {
  ASSERT_TRUE(fs::exists(kCorpus / "chunks.json")) << "the WAV corpus is missing: " << kCorpus;
  int failed = 0, total = 0;
  for (const auto& file : LoadListing()) {
    if (MustRead(file)) continue;
    SCOPED_TRACE(file.name);
    ++total;
    Wav wav;
    try {
      const int16_t result = wav.GetWavFile((kCorpus / file.name).string());
      EXPECT_TRUE(result == 0 || result == 1 || result == 2);
    } catch (const WavError& error) {
      ++failed;
      EXPECT_GT(std::string(error.what()).size(), 10u);
    }
  }
  EXPECT_GE(total, 40);
  EXPECT_GT(failed, 0);
}

TEST(Corpus, PaddedAndUnknownChunksOfRealFiles) {
  // The cases that used to derail a reader that takes every byte as an id.
  Wav misaligned;  // "inst" of 7 bytes with a pad byte, then data and unknown chunks
  ASSERT_EQ(misaligned.GetWavFile((kCorpus / "real-world/misaligned-chunk.wav").string()), 0);
  EXPECT_EQ(misaligned.InstChunk->ChunkSize, 7);
  EXPECT_EQ(misaligned.DataChunk->ChunkSize, 3386880);
  Wav fl;  // "smpl", "cue " and two "LIST" chunks around an unknown "tlst"
  ASSERT_EQ(fl.GetWavFile((kCorpus / "real-world/flloop.wav").string()), 0);
  EXPECT_EQ(fl.SmplChunk->ChunkSize, 60);
  EXPECT_EQ(fl.ListChunk->ChunkSize, 30);
  Wav field;  // lower-case "list"
  ASSERT_EQ(field.GetWavFile((kCorpus / "real-world/STE-000.wav").string()), 0);
  EXPECT_EQ(field.ListChunk->ChunkId, "list");
  Wav odd;  // an odd data chunk ending the file without its pad byte
  ASSERT_EQ(odd.GetWavFile((kCorpus / "real-world/A101_1_1.WAV").string()), 0);
  EXPECT_EQ(odd.DataChunk->ChunkData.size(), 720717u);
}
