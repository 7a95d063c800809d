// SPDX-License-Identifier: MIT
#include "qwav_model_json.h"

#include <memory>

#include "chunk_fields.h"

namespace qwav {

namespace {

using namespace quendal;
using namespace quendal::detail;

// Sample bytes are only counted: a listing of a WAV file never needs them.
void CountedBytes(JsonWriter& json, const std::string& bytes) {
  json.BeginObject();
  json.Key("bytes");
  json.Number(static_cast<int64_t>(bytes.size()));
  json.EndObject();
}

void Chunk(JsonWriter& json, const WavChunk& chunk, bool countDataOnly) {
  json.BeginObject();
  json.Key("ChunkId");
  json.Bytes(chunk.ChunkId);
  json.Key("ChunkSize");
  json.Number(chunk.ChunkSize);
  json.Key("ChunkData");
  if (countDataOnly) {
    CountedBytes(json, chunk.ChunkData);
  } else {
    json.Bytes(chunk.ChunkData);
  }
  json.EndObject();
}

// A collection as an array of its items in position order.
template <class Collection, class WriteItem>
void Items(JsonWriter& json, const char* name, const std::shared_ptr<Collection>& collection, WriteItem writeItem) {
  json.Key(name);
  if (!collection) return json.Null();
  json.BeginArray();
  for (const auto& item : *collection) {
    json.BeginObject();
    writeItem(*item);
    json.EndObject();
  }
  json.EndArray();
}

// Prints the fields a field list (chunk_fields.h) names, each under its
// member's name. The list gives the file's order; a few fields print in the
// model's member order instead (the format's extra bytes before their count),
// as the listing always showed them.
class FieldPrinter {
 public:
  explicit FieldPrinter(JsonWriter& json) : json_(json) {}

  void Number(const char* name, int64_t value, int, const char*) { Value(name, value); }
  void Pattern(const char* name, int32_t value, const char*) { Value(name, value); }
  void Code(const char* name, const std::string& value, const char*) { Text(name, value); }
  void NamedNumber(const char* descName, const std::string& desc, const char* name, int32_t value, int, const char*) {
    Text(descName, desc);
    Value(name, value);
  }
  void SizedTail(const char* countName, int32_t count, const char* bytesName, const std::string& bytes, const char*) {
    Text(bytesName, bytes);
    Value(countName, count);
  }
  void Rest(const char* name, const std::string& bytes, const char*) { Text(name, bytes); }
  void Count(const char* name, int32_t value, const char*) { Value(name, value); }
  void Sum(const char* name, int32_t value, const char*) { Value(name, value); }
  template <class Collection, class Fields>
  void Records(const char* name, const std::shared_ptr<Collection>& collection, const char*, bool, Fields fields) {
    Items(json_, name, collection, [&](const auto& item) { fields(*this, item); });
  }
  void Text(const char* name, const std::string& bytes) {
    json_.Key(name);
    json_.Bytes(bytes);
  }
  void Trailing(const char* name, const std::string& bytes) { Text(name, bytes); }

 private:
  void Value(const char* name, int64_t value) {
    json_.Key(name);
    json_.Number(value);
  }

  JsonWriter& json_;
};

// A chunk or list item: its id and size, then its fields.
template <class T, class Fields>
void Described(JsonWriter& json, const T& chunk, Fields fields) {
  json.BeginObject();
  json.Key("ChunkId");
  json.Bytes(chunk.ChunkId);
  json.Key("ChunkSize");
  json.Number(chunk.ChunkSize);
  FieldPrinter printer(json);
  fields(printer, chunk);
  json.EndObject();
}

// The items of a list come in three collections, whatever their order in the file.
void List(JsonWriter& json, const WavList& list) {
  json.BeginObject();
  json.Key("ChunkId");
  json.Bytes(list.ChunkId);
  json.Key("ChunkSize");
  json.Number(list.ChunkSize);
  json.Key("TypeID");
  json.Bytes(list.TypeID);
  FieldPrinter printer(json);
  const auto header = [&](const auto& item) {
    json.Key("ChunkId");
    json.Bytes(item.ChunkId);
    json.Key("ChunkSize");
    json.Number(item.ChunkSize);
  };
  Items(json, "WavLabls", list.WavLabls, [&](const WavLabl& label) { header(label), LablFields(printer, label); });
  Items(json, "WavLtxts", list.WavLtxts, [&](const WavLtxt& text) { header(text), LtxtFields(printer, text); });
  Items(json, "WavNotes", list.WavNotes, [&](const WavNote& note) { header(note), NoteFields(printer, note); });
  json.Key("TrailingBytes");
  json.Bytes(list.TrailingBytes);
  json.EndObject();
}

// The chunks a field list describes, as Member takes them.
template <class T, void (*Fields)(FieldPrinter&, const T&)>
void Structured(JsonWriter& json, const T& chunk) {
  Described(json, chunk, Fields);
}

template <class T, class WriteChunk>
void Member(JsonWriter& json, const char* name, const std::shared_ptr<T>& chunk, WriteChunk writeChunk) {
  json.Key(name);
  if (chunk) {
    writeChunk(json, *chunk);
  } else {
    json.Null();
  }
}

}  // namespace

void WriteModelMembers(JsonWriter& json, const Wav& wav) {
  const auto whole = [](JsonWriter& j, const WavChunk& c) { Chunk(j, c, false); };
  const auto counted = [](JsonWriter& j, const WavChunk& c) { Chunk(j, c, true); };
  Member(json, "FileHeader", wav.FileHeader, whole);
  Member(json, "Fmt_Chunk", wav.Fmt_Chunk, Structured<WavFmt, FmtFields<FieldPrinter, const WavFmt>>);
  Member(json, "DataChunk", wav.DataChunk, counted);
  Member(json, "FactChunk", wav.FactChunk, Structured<WavFact, FactFields<FieldPrinter, const WavFact>>);
  Member(json, "WavlChunk", wav.WavlChunk, counted);
  Member(json, "SlntChunk", wav.SlntChunk, Structured<WavSlnt, SlntFields<FieldPrinter, const WavSlnt>>);
  Member(json, "CueChunk", wav.CueChunk, Structured<WavCue, CueFields<FieldPrinter, const WavCue>>);
  Member(json, "PlstChunk", wav.PlstChunk, Structured<WavPlst, PlstFields<FieldPrinter, const WavPlst>>);
  Member(json, "ListChunk", wav.ListChunk, List);
  Member(json, "SmplChunk", wav.SmplChunk, Structured<WavSmpl, SmplFields<FieldPrinter, const WavSmpl>>);
  Member(json, "InstChunk", wav.InstChunk, Structured<WavInst, InstFields<FieldPrinter, const WavInst>>);
  Member(json, "PAD_Chunk", wav.PAD_Chunk, counted);
  Items(json, "UnknownChunks", wav.UnknownChunks, [&](const WavUnknownChunk& chunk) {
    json.Key("ChunkId");
    json.Bytes(chunk.ChunkId);
    json.Key("ChunkSize");
    json.Number(chunk.ChunkSize);
    json.Key("FilePosition");
    json.Number(chunk.FilePosition);
    json.Key("WrittenAfter");
    json.Bytes(chunk.WrittenAfter);
    json.Key("ChunkData");
    CountedBytes(json, chunk.ChunkData);
  });
}

}  // namespace qwav
