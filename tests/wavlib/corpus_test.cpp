// SPDX-License-Identifier: MIT
// The shared corpus of real-world and synthetic WAV files: every RIFF/WAVE
// file of the valid and real-world sets reads to its end with the chunks that
// chunks.json lists (an independent walker's view), and its copy holds every
// chunk and byte of it; every other file reads or fails with a WavError.

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

const std::set<std::string> kModelled = {"fmt ", "data", "fact", "wavl", "slnt", "cue ",
                                         "plst", "list", "LIST", "smpl", "inst", "PAD "};

// The body bytes before the records of the chunks whose records are merged
// when the chunk is met again.
const std::map<std::string, int64_t> kMergedFields = {{"cue ", 4}, {"plst", 4}, {"LIST", 4}, {"smpl", 36}};

// The member a listed chunk fills, "" for none: a list only when it is "adtl".
std::string SlotOf(const ListedChunk& c, const std::string& bytes) {
  if (c.id == "list" || c.id == "LIST") {
    return c.available >= 4 && bytes.compare(static_cast<std::size_t>(c.offset + 8), 4, "adtl") == 0 ? "LIST" : "";
  }
  return kModelled.count(c.id) != 0 ? c.id : "";
}

// The model holds what the listing says of each modelled chunk: the last one
// of an id, with the records of the earlier ones of its id before its own (the
// merged size counts their fields once); of an id without records the earlier
// ones are kept whole among the unknown chunks ("wavl" but replaced).
void ExpectModelMatches(const Wav& wav, const ListedFile& file, const std::string& bytes) {
  std::map<std::string, ListedChunk> last;
  std::map<std::string, int64_t> sizes;
  int64_t cuePoints = 0, loops = 0;
  std::size_t unknown = 0;
  for (const auto& c : file.chunks) {
    const std::string slot = SlotOf(c, bytes);
    if (slot.empty()) {
      ++unknown;
      continue;
    }
    const bool again = last.count(slot) != 0;
    const bool merged = kMergedFields.count(slot) != 0;
    if (again && !merged && slot != "wavl") ++unknown;
    sizes[slot] = again && merged ? sizes[slot] + c.size - kMergedFields.at(slot) : c.size;
    last[slot] = c;
    if (c.id == "cue ") cuePoints += U32At(bytes, static_cast<std::size_t>(c.offset + 8));
    if (c.id == "smpl") loops += U32At(bytes, static_cast<std::size_t>(c.offset + 36));
  }
  EXPECT_EQ(wav.UnknownChunks->Count(), static_cast<int32_t>(unknown));
  const auto check = [&](const char* key, const std::string& id, int32_t size) {
    const auto found = last.find(key);
    if (found == last.end()) {
      EXPECT_EQ(id, "") << key;
      return;
    }
    EXPECT_EQ(id, found->second.id) << key;
    EXPECT_EQ(size, sizes[key]) << key;
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
    EXPECT_EQ(wav.Fmt_Chunk->SampleRate, static_cast<int32_t>(U32At(bytes, static_cast<std::size_t>(last["fmt "].offset + 12))));
  }
  if (last.count("PAD ")) {
    EXPECT_EQ(wav.PAD_Chunk->ChunkData.size(), static_cast<std::size_t>(last["PAD "].available));
  }
  EXPECT_EQ(wav.CueChunk->WavCuePoints->Count(), cuePoints);
  EXPECT_EQ(wav.SmplChunk->WavSmplLoops->Count(), loops);
}

// The records of a merged chunk's body: they lie whole in the merged copy.
std::string RecordsOf(const std::string& slot, const std::string& body) {
  const auto fields = static_cast<std::size_t>(kMergedFields.at(slot));
  if (slot == "LIST") return body.substr(fields);
  const std::size_t count = slot == "smpl" ? U32At(body, 28) : U32At(body, 0);
  return body.substr(fields, count * (slot == "plst" ? 12 : 24));
}

// The copy holds every chunk of the original (but "wavl") with every byte the
// original has of it (the records of a merged chunk inside the merged one),
// and a copy of the copy is the copy byte for byte.
void ExpectNothingLost(Wav& wav, const ListedFile& file, const std::string& bytes, const TempDir& dir) {
  const std::string copy = dir.File("copy.wav");
  ASSERT_EQ(wav.PutWavFile(copy, true), 0);
  const std::string copied = ReadAll(copy);
  auto inCopy = TopLevelChunks(copied);
  std::map<std::string, int> met;
  for (const auto& c : file.chunks) ++met[SlotOf(c, bytes)];
  for (const auto& c : file.chunks) {
    if (c.id == "wavl") continue;
    const std::string body = bytes.substr(static_cast<std::size_t>(c.offset + 8), static_cast<std::size_t>(c.available));
    const std::string slot = SlotOf(c, bytes);
    if (kMergedFields.count(slot) != 0 && met[slot] > 1) {
      const std::string records = RecordsOf(slot, body);
      EXPECT_TRUE(std::any_of(inCopy.begin(), inCopy.end(), [&](const auto& chunk) {
        return chunk.first == c.id && chunk.second.find(records) != std::string::npos;
      })) << "the records of \"" << c.id << "\" at " << c.offset << " are not in the copy";
      continue;
    }
    const auto found = std::find_if(inCopy.begin(), inCopy.end(), [&](const auto& chunk) {
      return chunk.first == c.id && chunk.second.compare(0, body.size(), body) == 0;
    });
    EXPECT_NE(found, inCopy.end()) << "\"" << c.id << "\" at " << c.offset << " is not in the copy";
    if (found != inCopy.end()) inCopy.erase(found);
  }
  Wav back;
  ASSERT_EQ(back.GetWavFile(copy), 0);
  ASSERT_EQ(back.PutWavFile(dir.File("copy2.wav"), true), 0);
  EXPECT_TRUE(ReadAll(dir.File("copy2.wav")) == copied) << "a copy of the copy differs from the copy";
}

}  // namespace

TEST(Corpus, ValidAndRealWorldFilesReadToTheirEnd) {
  ASSERT_TRUE(fs::exists(kCorpus / "chunks.json")) << "the WAV corpus is missing: " << kCorpus;
  const auto listing = LoadListing();
  TempDir dir;
  int read = 0;
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
    ASSERT_EQ(wav.GetWavFile(path), 0);
    ExpectModelMatches(wav, file, bytes);
    ExpectNothingLost(wav, file, bytes, dir);
    ++read;
  }
  EXPECT_GE(read, 70);
  RecordProperty("read", read);
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
  EXPECT_EQ(fl.ListChunk->ChunkSize, 764);  // the first list is modelled, the second kept
  ASSERT_EQ(fl.UnknownChunks->Count(), 2);
  EXPECT_EQ(fl.UnknownChunks->Item(1)->ChunkId, "tlst");
  EXPECT_EQ(fl.UnknownChunks->Item(2)->ChunkData.substr(0, 4), "INFO");
  EXPECT_EQ(fl.UnknownChunks->Item(2)->WrittenAfter, "LIST");
  EXPECT_EQ(fl.UnknownChunks->Item(2)->FilePosition, 434800);
  Wav field;  // lower-case "list"
  ASSERT_EQ(field.GetWavFile((kCorpus / "real-world/STE-000.wav").string()), 0);
  EXPECT_EQ(field.ListChunk->ChunkId, "list");
  Wav odd;  // an odd data chunk ending the file without its pad byte
  ASSERT_EQ(odd.GetWavFile((kCorpus / "real-world/A101_1_1.WAV").string()), 0);
  EXPECT_EQ(odd.DataChunk->ChunkData.size(), 720717u);
}
