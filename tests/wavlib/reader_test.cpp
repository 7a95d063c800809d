// SPDX-License-Identifier: MIT
// GetWavFile on hand-made files: the layouts, the result codes, the 16-bit
// limits and every kind of failure with the model it leaves.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "quendal/quendal_wav.h"
#include "test_support.h"

using namespace quendal;
using namespace wavtest;

namespace {

class Reader : public ::testing::Test {
 protected:
  // Reads bytes through a file into wav and returns the result code.
  int16_t Read(const std::string& bytes) { return wav.GetWavFile(dir.Put("in.wav", bytes)); }

  TempDir dir;
  Wav wav;
};

std::string SmplBody(uint32_t pitchFraction, uint32_t loops, const std::string& loopRecords) {
  return U32(0x47) + U32(0x10) + U32(22675) + U32(60) + U32(pitchFraction) + U32(24) + U32(0x01020304) + U32(loops) +
         U32(0) + loopRecords;
}

std::string CueRecord(uint32_t id, uint32_t offset) {
  return U32(id) + U32(0) + "data" + U32(0) + U32(0) + U32(offset);
}

}  // namespace

TEST_F(Reader, The44ByteExampleFile) {
  const std::string samples = Bytes(2048);
  ASSERT_EQ(Read(Example44() + samples), 0);
  EXPECT_EQ(wav.FileHeader->ChunkId, "RIFF");
  EXPECT_EQ(wav.FileHeader->ChunkSize, 2084);
  EXPECT_EQ(wav.FileHeader->ChunkData, "WAVE");
  const WavFmt& fmt = *wav.Fmt_Chunk;
  EXPECT_EQ(fmt.ChunkId, "fmt ");
  EXPECT_EQ(fmt.ChunkSize, 16);
  EXPECT_EQ(fmt.CompressionCode, 1);
  EXPECT_EQ(fmt.CompressionDesc, "PCM / uncompressed");
  EXPECT_EQ(fmt.ChannelsNumber, 1);
  EXPECT_EQ(fmt.SampleRate, 44100);
  EXPECT_EQ(fmt.BytesPerSecond, 88200);
  EXPECT_EQ(fmt.BytesPerSample, 2);
  EXPECT_EQ(fmt.BitsPerSample, 16);
  EXPECT_EQ(fmt.ExtraFormatBytes, 0);
  EXPECT_EQ(fmt.ExtraFormatString, "");
  EXPECT_EQ(wav.DataChunk->ChunkId, "data");
  EXPECT_EQ(wav.DataChunk->ChunkSize, 2048);
  EXPECT_EQ(wav.DataChunk->ChunkData, samples);
  EXPECT_EQ(wav.SmplChunk->ChunkId, "");  // absent chunks stay absent
  EXPECT_EQ(wav.ListChunk->ChunkId, "");
}

TEST_F(Reader, HeaderOnlyFileAndTheTwoResultCodes) {
  EXPECT_EQ(Read("RIFF" + U32(4) + "WAVE"), 0);
  EXPECT_EQ(wav.FileHeader->ChunkSize, 4);
  EXPECT_EQ(wav.Fmt_Chunk->ChunkId, "");

  Wav notRiff;
  EXPECT_EQ(notRiff.GetWavFile(dir.Put("rifx.wav", "RIFX" + U32(36) + "WAVE" + Chunk("fmt ", FmtBody(1, 8000, 8)))), 1);
  EXPECT_EQ(notRiff.FileHeader->ChunkId, "RIFX");
  EXPECT_EQ(notRiff.FileHeader->ChunkData, "WAVE");
  EXPECT_EQ(notRiff.Fmt_Chunk->ChunkId, "");  // nothing after the header is read

  Wav notWave;
  EXPECT_EQ(notWave.GetWavFile(dir.Put("avi.wav", "RIFF" + U32(4) + "AVI " + Chunk("fmt ", FmtBody(1, 8000, 8)))), 2);
  EXPECT_EQ(notWave.FileHeader->ChunkData, "AVI ");
  EXPECT_EQ(notWave.Fmt_Chunk->ChunkId, "");
}

TEST_F(Reader, OnlyARiffFilesSizeFieldIsASize) {
  // Big-endian RIFX and RF64 hold other sizes: result 1 whatever the field says.
  EXPECT_EQ(Read("RIFX" + U32(0x80000000) + "WAVE"), 1);
  EXPECT_EQ(wav.FileHeader->ChunkId, "RIFX");
  EXPECT_EQ(wav.FileHeader->ChunkSize, INT32_MIN);
  Wav riff;
  EXPECT_THROW(riff.GetWavFile(dir.Put("big.wav", "RIFF" + U32(0x80000000) + "WAVE")), OverflowError);
}

TEST_F(Reader, FormatChunkExtraBytesFollowItsSize) {
  ASSERT_EQ(Read(Riff(Chunk("fmt ", FmtBody(2, 48000, 24)))), 0);
  EXPECT_EQ(wav.Fmt_Chunk->ExtraFormatBytes, 0);
  Wav eighteen;
  ASSERT_EQ(eighteen.GetWavFile(dir.Put("18.wav", Riff(Chunk("fmt ", FmtBody(1, 8000, 8) + U16(0))))), 0);
  EXPECT_EQ(eighteen.Fmt_Chunk->ExtraFormatBytes, 0);
  EXPECT_EQ(eighteen.Fmt_Chunk->ExtraFormatString, "");
  Wav twenty;
  ASSERT_EQ(twenty.GetWavFile(
                dir.Put("20.wav", Riff(Chunk("fmt ", FmtBody(1, 8000, 8) + U16(2) + std::string("\xAB\x00", 2))))),
            0);
  EXPECT_EQ(twenty.Fmt_Chunk->ExtraFormatBytes, 2);
  EXPECT_EQ(twenty.Fmt_Chunk->ExtraFormatString, std::string("\xAB\x00", 2));
  Wav experimental;
  std::string body = FmtBody(1, 8000, 8);
  body[0] = '\xFF', body[1] = '\xFF';
  ASSERT_EQ(experimental.GetWavFile(dir.Put("x.wav", Riff(Chunk("fmt ", body)))), 0);
  EXPECT_EQ(experimental.Fmt_Chunk->CompressionCode, 65535);
  EXPECT_EQ(experimental.Fmt_Chunk->CompressionDesc, "Experimental");
}

TEST_F(Reader, FactSlntInstAndPad) {
  const std::string inst = U32(0x3C).substr(0, 1) + "\xFF" + "\x06" + "\x30" + "\x50" + "\x01" + "\x7F";
  ASSERT_EQ(Read(Riff(Chunk("fact", U32(1000)) + Chunk("slnt", U32(512)) + Chunk("inst", inst) +
                      Chunk("PAD ", std::string(6, '\0')))),
            0);
  EXPECT_EQ(wav.FactChunk->SamplesNumber, 1000);
  EXPECT_EQ(wav.FactChunk->MoreData, "");
  EXPECT_EQ(wav.SlntChunk->SilentSamplesNumber, 512);
  EXPECT_EQ(wav.InstChunk->ChunkSize, 7);
  EXPECT_EQ(wav.InstChunk->UnshiftedNote, 60);
  EXPECT_EQ(wav.InstChunk->FineTune, 255);  // bytes are 0-255, not signed
  EXPECT_EQ(wav.InstChunk->HighVelocity, 127);
  EXPECT_EQ(wav.PAD_Chunk->ChunkSize, 6);
  EXPECT_EQ(wav.PAD_Chunk->ChunkData, std::string(6, '\0'));
}

TEST_F(Reader, RecordsOfCuePlaylistAndSampler) {
  const std::string loops =
      U32(1) + U32(0) + U32(100) + U32(900) + U32(0) + U32(0) + U32(2) + U32(1) + U32(5) + U32(50) + U32(0) + U32(3);
  ASSERT_EQ(Read(Riff(Chunk("cue ", U32(2) + CueRecord(1, 10) + CueRecord(2, 20)) +
                      Chunk("plst", U32(1) + U32(2) + U32(4410) + U32(3)) + Chunk("smpl", SmplBody(0, 2, loops)))),
            0);
  EXPECT_EQ(wav.CueChunk->CuePointsNumber, 2);
  ASSERT_EQ(wav.CueChunk->WavCuePoints->Count(), 2);
  EXPECT_EQ(wav.CueChunk->WavCuePoints->Item(2)->CueID, 2);
  EXPECT_EQ(wav.CueChunk->WavCuePoints->Item(2)->DataChunkID, "data");
  EXPECT_EQ(wav.CueChunk->WavCuePoints->Item(2)->SampleOffset, 20);
  EXPECT_EQ(wav.PlstChunk->SegmentsNumber, 1);
  EXPECT_EQ(wav.PlstChunk->WavPlstSegs->Item(1)->NumberOfSamples, 4410);
  EXPECT_EQ(wav.PlstChunk->WavPlstSegs->Item(1)->NumberOfRepeats, 3);
  const WavSmpl& smpl = *wav.SmplChunk;
  EXPECT_EQ(smpl.Manufacturer, 0x47);
  EXPECT_EQ(smpl.Product, 0x10);
  EXPECT_EQ(smpl.SamplePeriod, 22675);
  EXPECT_EQ(smpl.MIDIUnityNote, 60);
  EXPECT_EQ(smpl.SMPTEFormat, 24);
  EXPECT_EQ(smpl.SMPTEOffset, 0x01020304);
  EXPECT_EQ(smpl.SampleLoopsNumber, 2);
  ASSERT_EQ(smpl.WavSmplLoops->Count(), 2);
  EXPECT_EQ(smpl.WavSmplLoops->Item(1)->LoopEnd, 900);
  EXPECT_EQ(smpl.WavSmplLoops->Item(2)->LoopType, 1);
  EXPECT_EQ(smpl.WavSmplLoops->Item(2)->LoopPlayCount, 3);
}

TEST_F(Reader, ListSubChunksKeepTheirTextBytesAndPad) {
  // "labl" of size 5: cue id and one zero byte, plus its pad byte (14 bytes of
  // the list); "labl" of size 4: no text (12 bytes); then a note and an ltxt.
  const std::string labl5 = "labl" + U32(5) + U32(1) + std::string(2, '\0');
  const std::string labl4 = "labl" + U32(4) + U32(2);
  const std::string note = "note" + U32(8) + U32(3) + std::string("abc\0", 4);
  const std::string ltxt =
      "ltxt" + U32(23) + U32(4) + U32(4410) + "rgn " + U16(1) + U16(2) + U16(3) + U16(4) + std::string("xy\0\0", 4);
  const std::string list = "adtl" + labl5 + labl4 + note + ltxt;
  ASSERT_EQ(Read(Riff(Chunk("list", list) + Chunk("slnt", U32(9)))), 0);
  const WavList& l = *wav.ListChunk;
  EXPECT_EQ(l.ChunkId, "list");  // lower case kept
  EXPECT_EQ(l.TypeID, "adtl");
  ASSERT_EQ(l.WavLabls->Count(), 2);
  EXPECT_EQ(l.WavLabls->Item(1)->LabelText, std::string(2, '\0'));
  EXPECT_EQ(l.WavLabls->Item(1)->ChunkSize, 5);
  EXPECT_EQ(l.WavLabls->Item(2)->LabelText, "");
  EXPECT_EQ(l.WavLabls->Item(2)->CuePointID, 2);
  ASSERT_EQ(l.WavNotes->Count(), 1);
  EXPECT_EQ(l.WavNotes->Item(1)->NoteText, std::string("abc\0", 4));
  ASSERT_EQ(l.WavLtxts->Count(), 1);
  const WavLtxt& t = *l.WavLtxts->Item(1);
  EXPECT_EQ(t.SampleLength, 4410);
  EXPECT_EQ(t.PurposeID, "rgn ");
  EXPECT_EQ(t.CodePage, 4);
  EXPECT_EQ(t.LtxtText, std::string("xy\0\0", 4));   // 3 bytes of text and the pad byte
  EXPECT_EQ(wav.SlntChunk->SilentSamplesNumber, 9);  // the walk ended where the list ends
}

TEST_F(Reader, DataLargerThanTheFileTakesTheRest) {
  const std::string samples = Bytes(100);
  ASSERT_EQ(Read(Riff(Chunk("fmt ", FmtBody(1, 8000, 8)) + ChunkSized("data", 5000, samples))), 0);
  EXPECT_EQ(wav.DataChunk->ChunkSize, 5000);
  EXPECT_EQ(wav.DataChunk->ChunkData, samples);
}

TEST_F(Reader, OneToThreeStrayBytesAtTheEndAreIgnored) {
  for (const std::string stray : {"\x01", "ab", "xyz"}) {
    Wav fresh;
    EXPECT_EQ(fresh.GetWavFile(dir.Put("stray.wav", Riff(Chunk("fmt ", FmtBody(1, 8000, 8))) + stray)), 0) << stray;
    EXPECT_EQ(fresh.Fmt_Chunk->SampleRate, 8000);
  }
}

TEST_F(Reader, TwoFilesInOneWavAppendItemsAndKeepTheLaterCount) {
  ASSERT_EQ(Read(Riff(Chunk("cue ", U32(2) + CueRecord(1, 10) + CueRecord(2, 20)))), 0);
  ASSERT_EQ(wav.GetWavFile(dir.Put("second.wav", Riff(Chunk("cue ", U32(1) + CueRecord(7, 70))))), 0);
  EXPECT_EQ(wav.CueChunk->CuePointsNumber, 1);
  ASSERT_EQ(wav.CueChunk->WavCuePoints->Count(), 3);
  EXPECT_EQ(wav.CueChunk->WavCuePoints->Item(3)->CueID, 7);
}

TEST_F(Reader, RepeatedChunksMergeAndOnlyTheAdtlListIsTheModelsList) {
  // An INFO list before the "adtl" list, two "smpl" chunks (the later with
  // sampler-specific data) and two "fmt " chunks in one file.
  const std::string info = "INFO" + Chunk("ISFT", std::string("sox\0", 4));
  const std::string adtl = "adtl" + ("labl" + U32(6) + U32(1) + std::string("A\0", 2));
  std::string later = SmplBody(0, 1, U32(2) + U32(0) + U32(30) + U32(40) + U32(0) + U32(0)) + "xy";
  later.replace(12, 4, U32(72));  // the unity note
  later.replace(32, 4, U32(2));   // two bytes of sampler data
  const std::string samples = Bytes(8);
  ASSERT_EQ(Read(Riff(Chunk("fmt ", FmtBody(1, 8000, 8)) + Chunk("LIST", info) + Chunk("LIST", adtl) +
                      Chunk("fmt ", FmtBody(2, 44100, 16)) +
                      Chunk("smpl", SmplBody(0, 1, U32(1) + U32(0) + U32(10) + U32(20) + U32(0) + U32(0))) +
                      Chunk("data", samples) + Chunk("smpl", later))),
            0);
  const auto expectMerged = [&](Wav& model) {
    EXPECT_EQ(model.ListChunk->TypeID, "adtl");
    ASSERT_EQ(model.ListChunk->WavLabls->Count(), 1);
    EXPECT_EQ(model.ListChunk->WavLabls->Item(1)->LabelText, std::string("A\0", 2));
    EXPECT_EQ(model.SmplChunk->MIDIUnityNote, 72);
    EXPECT_EQ(model.SmplChunk->SampleLoopsNumber, 2);
    EXPECT_EQ(model.SmplChunk->SamplerData, 2);
    ASSERT_EQ(model.SmplChunk->WavSmplLoops->Count(), 2);
    EXPECT_EQ(model.SmplChunk->WavSmplLoops->Item(1)->LoopStart, 10);
    EXPECT_EQ(model.SmplChunk->WavSmplLoops->Item(2)->LoopStart, 30);
    EXPECT_EQ(model.SmplChunk->ChunkSize, 36 + 2 * 24 + 2);  // one chunk as written
    EXPECT_EQ(model.Fmt_Chunk->SampleRate, 44100);
    EXPECT_EQ(model.DataChunk->ChunkData, samples);
    // The INFO list and the replaced "fmt " are kept whole.
    std::vector<std::string> kept;
    for (const auto& chunk : *model.UnknownChunks) kept.push_back(chunk->ChunkId + " " + chunk->ChunkData.substr(0, 4));
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::string>{"LIST INFO", "fmt  " + FmtBody(1, 8000, 8).substr(0, 4)}));
  };
  expectMerged(wav);
  // The copy reads back to the same model, and its own copy is the same file.
  ASSERT_EQ(wav.PutWavFile(dir.File("copy.wav"), true), 0);
  Wav back;
  ASSERT_EQ(back.GetWavFile(dir.File("copy.wav")), 0);
  expectMerged(back);
  ASSERT_EQ(back.PutWavFile(dir.File("copy2.wav"), true), 0);
  EXPECT_EQ(ReadAll(dir.File("copy2.wav")), ReadAll(dir.File("copy.wav")));
}

TEST_F(Reader, BitPatternFieldsReadSignedAndSizesOf2To31Overflow) {
  // A half-semitone pitch fraction and high-bit loop fields are values, not
  // sizes: they read as signed and are written back as the same bytes.
  const std::string loop = U32(1) + U32(0x80000001) + U32(10) + U32(20) + U32(0xFFFFFFFF) + U32(0);
  std::string body = SmplBody(0x80000000, 1, loop);
  body.replace(0, 4, U32(0xFEDCBA98));
  const std::string file = Riff(Chunk("fmt ", FmtBody(1, 44100, 16)) + Chunk("smpl", body) + Chunk("data", ""));
  ASSERT_EQ(Read(file), 0);
  EXPECT_EQ(wav.SmplChunk->MIDIPitchFraction, INT32_MIN);
  EXPECT_EQ(wav.SmplChunk->Manufacturer, static_cast<int32_t>(0xFEDCBA98));
  EXPECT_EQ(wav.SmplChunk->WavSmplLoops->Item(1)->LoopFraction, -1);
  ASSERT_EQ(wav.PutWavFile(dir.File("out.wav"), true), 0);
  EXPECT_EQ(ReadAll(dir.File("out.wav")), file);

  // A sample period of 2^31 or more is an amount: overflow, keeping what was read.
  Wav period;
  body.replace(8, 4, U32(0x80000000));
  EXPECT_THROW(period.GetWavFile(dir.Put("p.wav", Riff(Chunk("fmt ", FmtBody(1, 44100, 16)) + Chunk("smpl", body)))),
               OverflowError);
  EXPECT_EQ(period.Fmt_Chunk->SampleRate, 44100);
  EXPECT_EQ(period.SmplChunk->ChunkId, "smpl");
  EXPECT_EQ(period.SmplChunk->SamplePeriod, 0);
}

TEST_F(Reader, OldFormatRecordAndFourStrayBytesKeepTheRestOfTheFile) {
  // A 14-byte format chunk has no bits field; the data chunk after it is read.
  const std::string samples = Bytes(6);
  ASSERT_EQ(Read(Riff(Chunk("fmt ", FmtBody(1, 8000, 8).substr(0, 14)) + Chunk("data", samples)) + "junk"), 0);
  EXPECT_EQ(wav.Fmt_Chunk->SampleRate, 8000);
  EXPECT_EQ(wav.Fmt_Chunk->BitsPerSample, 0);
  EXPECT_EQ(wav.DataChunk->ChunkData, samples);
  EXPECT_EQ(wav.UnknownChunks->Count(), 0);  // stray bytes are no chunk
}

TEST_F(Reader, RecordCountsAbove32767FailBeforeAnyRecord) {
  EXPECT_THROW(Read(Riff(Chunk("cue ", U32(32768) + CueRecord(1, 0)))), OverflowError);
  EXPECT_EQ(wav.CueChunk->CuePointsNumber, 32768);
  EXPECT_EQ(wav.CueChunk->WavCuePoints->Count(), 0);
  Wav plst;
  EXPECT_THROW(plst.GetWavFile(dir.Put("p.wav", Riff(Chunk("plst", U32(40000))))), OverflowError);
  Wav smpl;
  EXPECT_THROW(smpl.GetWavFile(dir.Put("s.wav", Riff(Chunk("smpl", SmplBody(0, 32768, ""))))), OverflowError);
  EXPECT_EQ(smpl.SmplChunk->WavSmplLoops->Count(), 0);
}

TEST_F(Reader, ListWalkLimits) {
  // A list larger than 32771 bytes fails before its type is read.
  EXPECT_THROW(Read(Riff(ChunkSized("LIST", 32772, "adtl"))), OverflowError);
  EXPECT_EQ(wav.ListChunk->ChunkId, "LIST");
  EXPECT_EQ(wav.ListChunk->TypeID, "");
  // A text longer than 32767 bytes.
  Wav longText;
  EXPECT_THROW(
      longText.GetWavFile(dir.Put("t.wav", Riff(ChunkSized("LIST", 100, "adtl" + ("labl" + U32(32772) + U32(1)))))),
      OverflowError);
  // A sub-chunk reaching more than 32768 bytes beyond its list.
  Wav beyond;
  EXPECT_THROW(
      beyond.GetWavFile(dir.Put(
          "b.wav", Riff(ChunkSized("LIST", 12, "adtl" + ("labl" + U32(32771) + U32(1)) + std::string(40, 'x'))))),
      OverflowError);
  // Exactly at the limits it reads.
  Wav atLimit;
  const std::string text(32767, 'a');
  EXPECT_EQ(atLimit.GetWavFile(dir.Put(
                "l.wav", Riff(ChunkSized("LIST", 32771, "adtl" + ("note" + U32(32771) + U32(1) + text + '\0'))))),
            0);
  ASSERT_EQ(atLimit.ListChunk->WavNotes->Count(), 1);
  EXPECT_EQ(atLimit.ListChunk->WavNotes->Item(1)->NoteText.size(), 32768u);
}

TEST_F(Reader, FileEndingInsideAHeaderOrRecordFailsWithEndOfFile) {
  EXPECT_THROW(Read(""), EndOfFileError);
  EXPECT_EQ(wav.FileHeader->ChunkId, "");
  Wav shortHeader;
  EXPECT_THROW(shortHeader.GetWavFile(dir.Put("h.wav", "RIFF\x04")), EndOfFileError);
  EXPECT_EQ(shortHeader.FileHeader->ChunkId, "RIFF");
  Wav inHeader;
  EXPECT_THROW(inHeader.GetWavFile(dir.Put("c.wav", Riff(Chunk("fmt ", FmtBody(1, 8000, 8))) + "data")),
               EndOfFileError);
  EXPECT_EQ(inHeader.Fmt_Chunk->SampleRate, 8000);
  Wav inRecord;
  EXPECT_THROW(inRecord.GetWavFile(dir.Put("r.wav", Riff(Chunk("cue ", U32(3) + CueRecord(1, 10) + CueRecord(2, 20))))),
               EndOfFileError);
  EXPECT_EQ(inRecord.CueChunk->CuePointsNumber, 3);
  EXPECT_EQ(inRecord.CueChunk->WavCuePoints->Count(), 2);
}

TEST_F(Reader, MissingFileOrFolderFailsWithFileAccessAndChangesNothing) {
  EXPECT_THROW(wav.GetWavFile(dir.File("missing.wav")), FileAccessError);
  EXPECT_THROW(wav.GetWavFile(dir.path().string()), FileAccessError);
  EXPECT_EQ(wav.FileHeader->ChunkId, "");
  try {
    wav.GetWavFile(dir.File("missing.wav"));
  } catch (const WavError& error) {
    EXPECT_STREQ(error.KindName(), "file");
    EXPECT_NE(std::string(error.what()).find("missing.wav"), std::string::npos);
  }
}

TEST_F(Reader, AnEmptyReferenceFailsClearlyWhenReached) {
  wav.SmplChunk = nullptr;
  EXPECT_EQ(Read(Riff(Chunk("fmt ", FmtBody(1, 8000, 8)))), 0);  // not reached
  EXPECT_THROW(Read(Riff(Chunk("smpl", SmplBody(0, 0, "")))), EmptyReferenceError);
}

// Reading without the samples gives the model of a full read but for the
// sample body, which it places exactly: put back from where it says, the
// model writes the same file. A file cut short inside its samples says so.
TEST_F(Reader, WithoutSamplesTheSameModelAndWhereTheSamplesLie) {
  const std::string samples = Bytes(1001);
  const std::string smpl = Chunk("smpl", SmplBody(0, 0, ""));
  const std::string file = Riff(Chunk("fmt ", FmtBody(1, 8000, 8)) + Chunk("bext", Bytes(12, 2)) +
                                Chunk("cue ", U32(1) + CueRecord(1, 5)) + Chunk("data", samples) + '\0' + smpl);
  const std::string path = dir.Put("in.wav", file);
  ASSERT_EQ(wav.GetWavFile(path), 0);
  Wav light;
  WavSampleBody body;
  ASSERT_EQ(light.GetWavFileWithoutSamples(path, body), 0);
  EXPECT_EQ(light.DataChunk->ChunkSize, 1001);
  EXPECT_EQ(light.DataChunk->ChunkData, "");
  ASSERT_EQ(body.BytesInFile, 1001);
  light.DataChunk->ChunkData = file.substr(static_cast<std::size_t>(body.Offset), 1001);
  ASSERT_EQ(wav.PutWavFile(dir.File("full.wav"), true), 0);
  ASSERT_EQ(light.PutWavFile(dir.File("light.wav"), true), 0);
  EXPECT_EQ(ReadAll(dir.File("light.wav")), ReadAll(dir.File("full.wav")));

  const std::string cut = file.substr(0, file.size() - smpl.size() - 502);
  Wav shortFile;
  ASSERT_EQ(shortFile.GetWavFileWithoutSamples(dir.Put("cut.wav", cut), body), 0);
  EXPECT_EQ(shortFile.DataChunk->ChunkSize, 1001);
  EXPECT_EQ(body.BytesInFile, 500);
  Wav noSamples;  // cut right after the data header: no byte of the body, as a full read fails
  EXPECT_THROW(noSamples.GetWavFileWithoutSamples(
                   dir.Put("bare.wav", cut.substr(0, static_cast<std::size_t>(body.Offset))), body),
               EndOfFileError);
  EXPECT_EQ(Wav().GetWavFileWithoutSamples(dir.Put("nodata.wav", Riff(Chunk("fmt ", FmtBody(1, 8000, 8)))), body), 0);
  EXPECT_EQ(body.Offset, -1);
}
