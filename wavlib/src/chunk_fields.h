// SPDX-License-Identifier: MIT
#pragma once
// The field list of every structured chunk and record, written once: each
// function below names the fields of its object in file order, with their
// kind and width, and hands each to a visitor. The reader visits to parse,
// the writer to write, merged chunks to size themselves and qwav's dump to
// print, so a field added or widened here changes all of them alike. T is
// the object or the const object, as the visitor needs. The reader adds what
// the list cannot say: where a chunk's records are merged, and the checks of
// counts and sizes.
//
// What a visitor implements (name: the model's member name, which the dump
// prints; what: the field in words, for error messages):
// - Number(name, member, width, what): an unsigned little-endian number of
//   width bytes (1, 2 or 4) that must fit 31 bits.
// - Pattern(name, member, what): four bytes that are a bit pattern, the
//   member holding their signed value.
// - Code(name, member, what): a four-character code, kept as text.
// - NamedNumber(descName, desc, name, member, width, what): a Number with its
//   readable name beside it in the model (set by the reader, never written).
// - Count(name, member, what): the 4-byte record count of the Records that
//   follow; Sum(name, member, what): another 4-byte number that, like the
//   count, adds up when a chunk met again is merged into the first.
// - Records(name, collection, record, allWritten, fields): the records,
//   as many as the count read, each of the kind `record` names in messages
//   and laid out by `fields`; the writer writes all of the collection when
//   allWritten is set, else as many as the count holds.
// - SizedTail(countName, count, bytesName, bytes, what): a 2-byte count and
//   the bytes after it up to the chunk's size (the format's extra bytes).
// - Rest(name, member, what): all the body's bytes after the fields.
// - Text(name, member): a list item's text, its length given by the item's size.
// - Trailing(name, member): the body's bytes no field takes, as read.
// The ChunkId and ChunkSize of a chunk or list item come before its fields
// and are no part of these lists.

#include <cstdint>
#include <memory>
#include <string>

#include "quendal/wav.h"

namespace quendal::detail {

// The record lists.

template <class V, class T>
void CuePointFields(V& v, T& point) {
  v.Number("CueID", point.CueID, 4, "the cue id");
  v.Number("CuePosition", point.CuePosition, 4, "the position");
  v.Code("DataChunkID", point.DataChunkID, "the chunk id");
  v.Number("ChunkStart", point.ChunkStart, 4, "the chunk start");
  v.Number("BlockStart", point.BlockStart, 4, "the block start");
  v.Number("SampleOffset", point.SampleOffset, 4, "the sample offset");
}

template <class V, class T>
void PlstSegFields(V& v, T& segment) {
  v.Number("CuePointID", segment.CuePointID, 4, "the cue point id");
  v.Number("NumberOfSamples", segment.NumberOfSamples, 4, "the sample count");
  v.Number("NumberOfRepeats", segment.NumberOfRepeats, 4, "the repeat count");
}

template <class V, class T>
void SmplLoopFields(V& v, T& loop) {
  v.Number("CuePointID", loop.CuePointID, 4, "the cue point id");
  v.Pattern("LoopType", loop.LoopType, "the loop type");
  v.Number("LoopStart", loop.LoopStart, 4, "the loop start");
  v.Number("LoopEnd", loop.LoopEnd, 4, "the loop end");
  v.Pattern("LoopFraction", loop.LoopFraction, "the loop fraction");
  v.Number("LoopPlayCount", loop.LoopPlayCount, 4, "the play count");
}

// The items of an "adtl" list, after their id and size.

template <class V, class T>
void LablFields(V& v, T& label) {
  v.Number("CuePointID", label.CuePointID, 4, "the cue point id");
  v.Text("LabelText", label.LabelText);
}

template <class V, class T>
void NoteFields(V& v, T& note) {
  v.Number("CuePointID", note.CuePointID, 4, "the cue point id");
  v.Text("NoteText", note.NoteText);
}

template <class V, class T>
void LtxtFields(V& v, T& text) {
  v.Number("CuePointID", text.CuePointID, 4, "the cue point id");
  v.Number("SampleLength", text.SampleLength, 4, "the sample length");
  v.Code("PurposeID", text.PurposeID, "the purpose id");
  v.Number("Country", text.Country, 2, "the country");
  v.Number("Language", text.Language, 2, "the language");
  v.Number("Dialect", text.Dialect, 2, "the dialect");
  v.Number("CodePage", text.CodePage, 2, "the code page");
  v.Text("LtxtText", text.LtxtText);
}

// The chunks. Of the format chunk only the fields that fit its size are in
// the file (the old 14-byte record has no bits field).

template <class V, class T>
void FmtFields(V& v, T& fmt) {
  v.NamedNumber("CompressionDesc", fmt.CompressionDesc, "CompressionCode", fmt.CompressionCode, 2,
                "the compression code");
  v.Number("ChannelsNumber", fmt.ChannelsNumber, 2, "the channel count");
  v.Number("SampleRate", fmt.SampleRate, 4, "the sample rate");
  v.Number("BytesPerSecond", fmt.BytesPerSecond, 4, "the bytes per second");
  v.Number("BytesPerSample", fmt.BytesPerSample, 2, "the block alignment");
  v.Number("BitsPerSample", fmt.BitsPerSample, 2, "the bits per sample");
  v.SizedTail("ExtraFormatBytes", fmt.ExtraFormatBytes, "ExtraFormatString", fmt.ExtraFormatString, "the extra format");
  v.Trailing("TrailingBytes", fmt.TrailingBytes);
}

template <class V, class T>
void FactFields(V& v, T& fact) {
  v.Number("SamplesNumber", fact.SamplesNumber, 4, "the sample count");
  v.Rest("MoreData", fact.MoreData, "the rest");
}

template <class V, class T>
void SlntFields(V& v, T& slnt) {
  v.Number("SilentSamplesNumber", slnt.SilentSamplesNumber, 4, "the silent sample count");
  v.Trailing("TrailingBytes", slnt.TrailingBytes);
}

template <class V, class T>
void CueFields(V& v, T& cue) {
  v.Count("CuePointsNumber", cue.CuePointsNumber, "the cue point count");
  v.Records("WavCuePoints", cue.WavCuePoints, "cue point", false,
            [](auto& visitor, auto& point) { CuePointFields(visitor, point); });
  v.Trailing("TrailingBytes", cue.TrailingBytes);
}

template <class V, class T>
void PlstFields(V& v, T& plst) {
  v.Count("SegmentsNumber", plst.SegmentsNumber, "the segment count");
  v.Records("WavPlstSegs", plst.WavPlstSegs, "segment", false,
            [](auto& visitor, auto& segment) { PlstSegFields(visitor, segment); });
  v.Trailing("TrailingBytes", plst.TrailingBytes);
}

template <class V, class T>
void SmplFields(V& v, T& smpl) {
  v.Pattern("Manufacturer", smpl.Manufacturer, "the manufacturer");
  v.Pattern("Product", smpl.Product, "the product");
  v.Number("SamplePeriod", smpl.SamplePeriod, 4, "the sample period");
  v.Number("MIDIUnityNote", smpl.MIDIUnityNote, 4, "the MIDI unity note");
  v.Pattern("MIDIPitchFraction", smpl.MIDIPitchFraction, "the MIDI pitch fraction");
  v.Pattern("SMPTEFormat", smpl.SMPTEFormat, "the SMPTE format");
  v.Pattern("SMPTEOffset", smpl.SMPTEOffset, "the SMPTE offset");
  v.Count("SampleLoopsNumber", smpl.SampleLoopsNumber, "the loop count");
  v.Sum("SamplerData", smpl.SamplerData, "the sampler data size");
  v.Records("WavSmplLoops", smpl.WavSmplLoops, "loop", true,
            [](auto& visitor, auto& loop) { SmplLoopFields(visitor, loop); });
  v.Trailing("TrailingBytes", smpl.TrailingBytes);
}

// One byte per field in the file, 16 bits in the model.
template <class V, class T>
void InstFields(V& v, T& inst) {
  v.Number("UnshiftedNote", inst.UnshiftedNote, 1, "a field");
  v.Number("FineTune", inst.FineTune, 1, "a field");
  v.Number("Gain", inst.Gain, 1, "a field");
  v.Number("LowNote", inst.LowNote, 1, "a field");
  v.Number("HighNote", inst.HighNote, 1, "a field");
  v.Number("LowVelocity", inst.LowVelocity, 1, "a field");
  v.Number("HighVelocity", inst.HighVelocity, 1, "a field");
  v.Trailing("TrailingBytes", inst.TrailingBytes);
}

// The bytes the fixed-width fields of an object take in the file (a code at
// its four characters), without its records, texts and trailing bytes: what
// merged chunks size themselves by.
class FixedFieldBytes {
 public:
  template <class M>
  void Number(const char*, const M&, int width, const char*) {
    bytes_ += width;
  }
  void Pattern(const char*, const int32_t&, const char*) { bytes_ += 4; }
  void Code(const char*, const std::string&, const char*) { bytes_ += 4; }
  void Count(const char*, const int32_t&, const char*) { bytes_ += 4; }
  void Sum(const char*, const int32_t&, const char*) { bytes_ += 4; }
  template <class Collection, class Fields>
  void Records(const char*, const std::shared_ptr<Collection>&, const char*, bool, Fields) {}
  void Text(const char*, const std::string&) {}
  void Trailing(const char*, const std::string&) {}
  int64_t Bytes() const { return bytes_; }

 private:
  int64_t bytes_ = 0;
};

template <class T, class Fields>
int64_t FixedBytesOf(Fields fields) {
  FixedFieldBytes sizer;
  const T none{};
  fields(sizer, none);
  return sizer.Bytes();
}

}  // namespace quendal::detail
