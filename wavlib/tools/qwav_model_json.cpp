// SPDX-License-Identifier: MIT
#include "qwav_model_json.h"

#include <memory>

namespace qwav {

namespace {

using namespace quendal;

// Sample bytes are only counted: a listing of a WAV file never needs them.
void CountedBytes(JsonWriter& json, const std::string& bytes) {
  json.BeginObject();
  json.Key("bytes");
  json.Number(static_cast<int64_t>(bytes.size()));
  json.EndObject();
}

void Chunk(JsonWriter& json, const WavChunk& chunk, bool countDataOnly) {
  json.BeginObject();
  json.Key("ChunkId"); json.Bytes(chunk.ChunkId);
  json.Key("ChunkSize"); json.Number(chunk.ChunkSize);
  json.Key("ChunkData");
  if (countDataOnly) {
    CountedBytes(json, chunk.ChunkData);
  } else {
    json.Bytes(chunk.ChunkData);
  }
  json.EndObject();
}

void Fmt(JsonWriter& json, const WavFmt& fmt) {
  json.BeginObject();
  json.Key("ChunkId"); json.Bytes(fmt.ChunkId);
  json.Key("ChunkSize"); json.Number(fmt.ChunkSize);
  json.Key("CompressionDesc"); json.Bytes(fmt.CompressionDesc);
  json.Key("CompressionCode"); json.Number(fmt.CompressionCode);
  json.Key("ChannelsNumber"); json.Number(fmt.ChannelsNumber);
  json.Key("SampleRate"); json.Number(fmt.SampleRate);
  json.Key("BytesPerSecond"); json.Number(fmt.BytesPerSecond);
  json.Key("BytesPerSample"); json.Number(fmt.BytesPerSample);
  json.Key("BitsPerSample"); json.Number(fmt.BitsPerSample);
  json.Key("ExtraFormatString"); json.Bytes(fmt.ExtraFormatString);
  json.Key("ExtraFormatBytes"); json.Number(fmt.ExtraFormatBytes);
  json.Key("TrailingBytes"); json.Bytes(fmt.TrailingBytes);
  json.EndObject();
}

void Fact(JsonWriter& json, const WavFact& fact) {
  json.BeginObject();
  json.Key("ChunkId"); json.Bytes(fact.ChunkId);
  json.Key("ChunkSize"); json.Number(fact.ChunkSize);
  json.Key("SamplesNumber"); json.Number(fact.SamplesNumber);
  json.Key("MoreData"); json.Bytes(fact.MoreData);
  json.EndObject();
}

void Slnt(JsonWriter& json, const WavSlnt& slnt) {
  json.BeginObject();
  json.Key("ChunkId"); json.Bytes(slnt.ChunkId);
  json.Key("ChunkSize"); json.Number(slnt.ChunkSize);
  json.Key("SilentSamplesNumber"); json.Number(slnt.SilentSamplesNumber);
  json.Key("TrailingBytes"); json.Bytes(slnt.TrailingBytes);
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

void Cue(JsonWriter& json, const WavCue& cue) {
  json.BeginObject();
  json.Key("ChunkId"); json.Bytes(cue.ChunkId);
  json.Key("ChunkSize"); json.Number(cue.ChunkSize);
  json.Key("CuePointsNumber"); json.Number(cue.CuePointsNumber);
  Items(json, "WavCuePoints", cue.WavCuePoints, [&](const WavCuePoint& point) {
    json.Key("CueID"); json.Number(point.CueID);
    json.Key("CuePosition"); json.Number(point.CuePosition);
    json.Key("DataChunkID"); json.Bytes(point.DataChunkID);
    json.Key("ChunkStart"); json.Number(point.ChunkStart);
    json.Key("BlockStart"); json.Number(point.BlockStart);
    json.Key("SampleOffset"); json.Number(point.SampleOffset);
  });
  json.Key("TrailingBytes"); json.Bytes(cue.TrailingBytes);
  json.EndObject();
}

void Plst(JsonWriter& json, const WavPlst& plst) {
  json.BeginObject();
  json.Key("ChunkId"); json.Bytes(plst.ChunkId);
  json.Key("ChunkSize"); json.Number(plst.ChunkSize);
  json.Key("SegmentsNumber"); json.Number(plst.SegmentsNumber);
  Items(json, "WavPlstSegs", plst.WavPlstSegs, [&](const WavPlstSeg& segment) {
    json.Key("CuePointID"); json.Number(segment.CuePointID);
    json.Key("NumberOfSamples"); json.Number(segment.NumberOfSamples);
    json.Key("NumberOfRepeats"); json.Number(segment.NumberOfRepeats);
  });
  json.Key("TrailingBytes"); json.Bytes(plst.TrailingBytes);
  json.EndObject();
}

void List(JsonWriter& json, const WavList& list) {
  json.BeginObject();
  json.Key("ChunkId"); json.Bytes(list.ChunkId);
  json.Key("ChunkSize"); json.Number(list.ChunkSize);
  json.Key("TypeID"); json.Bytes(list.TypeID);
  Items(json, "WavLabls", list.WavLabls, [&](const WavLabl& label) {
    json.Key("ChunkId"); json.Bytes(label.ChunkId);
    json.Key("ChunkSize"); json.Number(label.ChunkSize);
    json.Key("CuePointID"); json.Number(label.CuePointID);
    json.Key("LabelText"); json.Bytes(label.LabelText);
  });
  Items(json, "WavLtxts", list.WavLtxts, [&](const WavLtxt& text) {
    json.Key("ChunkId"); json.Bytes(text.ChunkId);
    json.Key("ChunkSize"); json.Number(text.ChunkSize);
    json.Key("CuePointID"); json.Number(text.CuePointID);
    json.Key("SampleLength"); json.Number(text.SampleLength);
    json.Key("PurposeID"); json.Bytes(text.PurposeID);
    json.Key("Country"); json.Number(text.Country);
    json.Key("Language"); json.Number(text.Language);
    json.Key("Dialect"); json.Number(text.Dialect);
    json.Key("CodePage"); json.Number(text.CodePage);
    json.Key("LtxtText"); json.Bytes(text.LtxtText);
  });
  Items(json, "WavNotes", list.WavNotes, [&](const WavNote& note) {
    json.Key("ChunkId"); json.Bytes(note.ChunkId);
    json.Key("ChunkSize"); json.Number(note.ChunkSize);
    json.Key("CuePointID"); json.Number(note.CuePointID);
    json.Key("NoteText"); json.Bytes(note.NoteText);
  });
  json.Key("TrailingBytes"); json.Bytes(list.TrailingBytes);
  json.EndObject();
}

void Smpl(JsonWriter& json, const WavSmpl& smpl) {
  json.BeginObject();
  json.Key("ChunkId"); json.Bytes(smpl.ChunkId);
  json.Key("ChunkSize"); json.Number(smpl.ChunkSize);
  json.Key("Manufacturer"); json.Number(smpl.Manufacturer);
  json.Key("Product"); json.Number(smpl.Product);
  json.Key("SamplePeriod"); json.Number(smpl.SamplePeriod);
  json.Key("MIDIUnityNote"); json.Number(smpl.MIDIUnityNote);
  json.Key("MIDIPitchFraction"); json.Number(smpl.MIDIPitchFraction);
  json.Key("SMPTEFormat"); json.Number(smpl.SMPTEFormat);
  json.Key("SMPTEOffset"); json.Number(smpl.SMPTEOffset);
  json.Key("SampleLoopsNumber"); json.Number(smpl.SampleLoopsNumber);
  json.Key("SamplerData"); json.Number(smpl.SamplerData);
  Items(json, "WavSmplLoops", smpl.WavSmplLoops, [&](const WavSmplLoop& loop) {
    json.Key("CuePointID"); json.Number(loop.CuePointID);
    json.Key("LoopType"); json.Number(loop.LoopType);
    json.Key("LoopStart"); json.Number(loop.LoopStart);
    json.Key("LoopEnd"); json.Number(loop.LoopEnd);
    json.Key("LoopFraction"); json.Number(loop.LoopFraction);
    json.Key("LoopPlayCount"); json.Number(loop.LoopPlayCount);
  });
  json.Key("TrailingBytes"); json.Bytes(smpl.TrailingBytes);
  json.EndObject();
}

void Inst(JsonWriter& json, const WavInst& inst) {
  json.BeginObject();
  json.Key("ChunkId"); json.Bytes(inst.ChunkId);
  json.Key("ChunkSize"); json.Number(inst.ChunkSize);
  json.Key("UnshiftedNote"); json.Number(inst.UnshiftedNote);
  json.Key("FineTune"); json.Number(inst.FineTune);
  json.Key("Gain"); json.Number(inst.Gain);
  json.Key("LowNote"); json.Number(inst.LowNote);
  json.Key("HighNote"); json.Number(inst.HighNote);
  json.Key("LowVelocity"); json.Number(inst.LowVelocity);
  json.Key("HighVelocity"); json.Number(inst.HighVelocity);
  json.Key("TrailingBytes"); json.Bytes(inst.TrailingBytes);
  json.EndObject();
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
  Member(json, "Fmt_Chunk", wav.Fmt_Chunk, Fmt);
  Member(json, "DataChunk", wav.DataChunk, counted);
  Member(json, "FactChunk", wav.FactChunk, Fact);
  Member(json, "WavlChunk", wav.WavlChunk, counted);
  Member(json, "SlntChunk", wav.SlntChunk, Slnt);
  Member(json, "CueChunk", wav.CueChunk, Cue);
  Member(json, "PlstChunk", wav.PlstChunk, Plst);
  Member(json, "ListChunk", wav.ListChunk, List);
  Member(json, "SmplChunk", wav.SmplChunk, Smpl);
  Member(json, "InstChunk", wav.InstChunk, Inst);
  Member(json, "PAD_Chunk", wav.PAD_Chunk, counted);
  Items(json, "UnknownChunks", wav.UnknownChunks, [&](const WavUnknownChunk& chunk) {
    json.Key("ChunkId"); json.Bytes(chunk.ChunkId);
    json.Key("ChunkSize"); json.Number(chunk.ChunkSize);
    json.Key("FilePosition"); json.Number(chunk.FilePosition);
    json.Key("WrittenAfter"); json.Bytes(chunk.WrittenAfter);
    json.Key("ChunkData"); CountedBytes(json, chunk.ChunkData);
  });
}

}  // namespace qwav
