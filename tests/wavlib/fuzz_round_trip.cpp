// SPDX-License-Identifier: MIT
// libFuzzer target for writing what was read: any bytes that read with result
// 0 are written (or refused with a WavError) and the copy reads back. When no
// chunk of the input is cut off by the end of the file, every modelled
// chunk's fields lie inside it and no modelled chunk comes twice (those are
// merged or replaced, so their copy is laid out anew), the copy reads with
// result 0 and a copy of the copy is the copy byte for byte; when moreover
// "fmt " and "data" are there, the copy reads to the same model as the input.
// Anything else is a finding. The bytes stay in memory (see memory_wav.h).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "memory_wav.h"
#include "quendal/wav.h"
#include "qwav_json.h"
#include "qwav_model_json.h"

namespace {

uint32_t U32(const std::string& b, std::size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v * 256 + static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
  return v;
}

// A list's items lie inside it, each whole; an unknown sub-chunk ends the walk.
bool ListFits(const std::string& body) {
  if (body.size() < 4 || body.size() > 32771) return false;
  std::size_t at = 4;
  while (at < body.size()) {
    if (body.size() - at < 8) return false;
    const std::string id = body.substr(at, 4);
    const uint32_t size = U32(body, at + 4);
    const uint32_t fields = id == "ltxt" ? 20 : (id == "labl" || id == "note") ? 4 : 0;
    if (fields == 0) return true;
    if (size < fields || size > 32767 || body.size() - at - 8 < size + size % 2) return false;
    at += 8 + size + size % 2;
  }
  return true;
}

// The fields of a modelled chunk lie inside it.
bool FieldsFit(const std::string& id, const std::string& body) {
  const std::size_t n = body.size();
  const auto records = [&](std::size_t fixed, std::size_t countAt, std::size_t record) {
    return n >= fixed && U32(body, countAt) <= 32767 && fixed + record * U32(body, countAt) <= n;
  };
  if (id == "fact" || id == "slnt") return n >= 4;
  if (id == "inst") return n >= 7;
  if (id == "cue ") return records(4, 0, 24);
  if (id == "plst") return records(4, 0, 12);
  if (id == "smpl") return records(36, 28, 24);
  if (id == "LIST") return ListFits(body);
  return true;
}

// The items the reader takes from the "adtl" list lie inside the file (they
// may run past the list: the reader reads them all the same).
bool ListItemsInFile(const std::string& b, std::size_t body, uint32_t size) {
  int64_t remaining = int64_t{size} - 4;
  std::size_t at = body + 4;
  while (remaining >= 1) {
    if (b.size() < at + 8) return false;
    const std::string id = b.substr(at, 4);
    if (id != "labl" && id != "note" && id != "ltxt") return true;
    const int64_t itemSize = U32(b, at + 4), fields = id == "ltxt" ? 20 : 4, text = itemSize - fields;
    const int64_t pad = text >= 1 ? text % 2 : 0;
    const int64_t read = 8 + fields + (text >= 1 ? text + pad : 0);
    if (static_cast<int64_t>(b.size() - at) < read) return false;
    at += static_cast<std::size_t>(read);
    remaining -= itemSize + 8 + pad;
  }
  return true;
}

// The member a chunk fills, "" for none: of the lists only an "adtl" list.
std::string SlotOf(const std::string& id, const std::string& body) {
  static const std::set<std::string> kModelled = {"fmt ", "data", "fact", "wavl", "slnt", "cue ",
                                                  "plst", "smpl", "inst", "PAD "};
  if (id == "LIST" || id == "list") return body.compare(0, 4, "adtl") == 0 ? "LIST" : "";
  return kModelled.count(id) != 0 ? id : "";
}

// Walks the chunks (with a zero pad byte after an odd size, or none): true
// when every one is complete, every modelled chunk's fields lie inside it and
// no modelled id comes twice. With checkFields, also "fmt " and "data"
// present, no stray bytes.
bool Complete(const std::string& b, bool checkFields) {
  if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return false;
  std::set<std::string> seen;
  for (std::size_t at = 12; at < b.size();) {
    if (b.size() - at < 8) return !checkFields;
    const std::string id = b.substr(at, 4);
    const uint32_t size = U32(b, at + 4);
    if (b.size() - at - 8 < size) return false;
    const std::string slot = SlotOf(id, b.substr(at + 8, size));
    if (!slot.empty() && !seen.insert(slot).second) return false;
    if (slot == "LIST" && !ListItemsInFile(b, at + 8, size)) return false;
    // Fields that run past their chunk's size are read on into what follows
    // (the reader never walks back): such a file is read differently than it
    // is walked here, and its copy may differ.
    if (!slot.empty() && !FieldsFit(slot, b.substr(at + 8, size))) return false;
    at += 8 + size;
    if (size % 2 != 0 && at < b.size() && b[at] == '\0') ++at;
  }
  return !checkFields || (seen.count("fmt ") != 0 && seen.count("data") != 0);
}

// Where the writer puts a kept chunk: the modelled chunks in its order.
std::size_t Place(std::string after) {
  static const std::string kOrder[] = {"RIFF", "fmt ", "fact", "slnt", "cue ", "plst", "LIST", "smpl", "inst", "PAD "};
  if (after == "list") after = "LIST";
  for (std::size_t place = 0; place < std::size(kOrder); ++place) {
    if (kOrder[place] == after) return place;
  }
  return std::size(kOrder);
}

// The model as text, with what a copy may rightly change left out: the RIFF
// size, "wavl" (never written), where kept chunks lay in the file, and the
// order of kept chunks at different places (the copy has the modelled chunks
// in the writer's order).
std::string Describe(quendal::Wav& wav) {
  wav.FileHeader->ChunkSize = 0;
  wav.WavlChunk = std::make_shared<quendal::WavChunk>();
  std::vector<std::shared_ptr<quendal::WavUnknownChunk>> kept(wav.UnknownChunks->begin(), wav.UnknownChunks->end());
  std::stable_sort(kept.begin(), kept.end(),
                   [](const auto& a, const auto& b) { return Place(a->WrittenAfter) < Place(b->WrittenAfter); });
  wav.UnknownChunks->RemoveAll();
  for (const auto& chunk : kept) {
    chunk->FilePosition = -1;
    wav.UnknownChunks->Add(chunk->ChunkId, chunk->ChunkSize, chunk->ChunkData)->WrittenAfter = chunk->WrittenAfter;
  }
  std::ostringstream text;
  qwav::JsonWriter json(text);
  json.BeginObject();
  qwav::WriteModelMembers(json, wav);
  json.EndObject();
  text << wav.DataChunk->ChunkData << wav.PAD_Chunk->ChunkData;
  for (const auto& chunk : *wav.UnknownChunks) text << chunk->ChunkData;
  for (const auto kind : wav.ListChunk->ItemOrder) text << static_cast<int>(kind);
  return text.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  quendal::Wav wav;
  if (quendal::fuzz::Read(wav, input) != 0) return 0;
  const auto copy = quendal::fuzz::Write(wav);
  if (!copy) return 0;  // a malformed file, or sizes no file can have
  // What the library wrote, it reads, and writes again unchanged.
  const bool complete = Complete(input, false);
  quendal::Wav again;
  const int reread = quendal::fuzz::Read(again, *copy);
  if (reread != 0 && (reread != -1 || complete)) __builtin_trap();
  if (reread != 0) return 0;
  const auto copyOfCopy = quendal::fuzz::Write(again);
  if (!copyOfCopy) {
    if (complete) __builtin_trap();
    return 0;
  }
  if (complete && *copyOfCopy != *copy) __builtin_trap();
  if (Complete(input, true) && Describe(wav) != Describe(again)) __builtin_trap();
  return 0;
}
