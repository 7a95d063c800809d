// SPDX-License-Identifier: MIT
// What real-world files hold beyond the modelled chunks: pad bytes after odd
// chunks, chunks and list sub-chunks the library does not model, sampler data
// after the loops, oversized bodies. None of it may derail the reader.

#include <gtest/gtest.h>

#include "allocation_probe.h"
#include "quendal/quendal_wav.h"
#include "test_support.h"

using namespace quendal;
using namespace wavtest;

namespace {

class RealWorld : public ::testing::Test {
 protected:
  int16_t Read(const std::string& bytes) { return wav.GetWavFile(dir.Put("in.wav", bytes)); }

  TempDir dir;
  Wav wav;
};

const std::string kSamples = Bytes(64, 7);

}  // namespace

TEST_F(RealWorld, UnknownChunksArePassedOverBySize) {
  const std::string bext = Chunk("bext", std::string(602, 'b'));
  const std::string id3 = Chunk("id3 ", "ID3" + std::string(13, '\0'));
  const std::string acid = Chunk("acid", std::string(24, '\x01'));
  ASSERT_EQ(Read(Riff(bext + Chunk("fmt ", FmtBody(2, 44100, 16)) + acid + Chunk("data", kSamples) + id3 +
                      Chunk("slnt", U32(3)))),
            0);
  EXPECT_EQ(wav.Fmt_Chunk->ChannelsNumber, 2);
  EXPECT_EQ(wav.DataChunk->ChunkData, kSamples);
  EXPECT_EQ(wav.SlntChunk->SilentSamplesNumber, 3);
}

TEST_F(RealWorld, PadByteAfterAnOddChunkIsSkipped) {
  // An odd unknown chunk, an odd "inst" and an odd data chunk, each padded.
  const std::string inst = std::string("\x3C\x00\x00\x00\x7F\x01\x7F", 7);
  const std::string oddSamples = Bytes(63, 3);
  ASSERT_EQ(Read(Riff(Chunk("fmt ", FmtBody(1, 8000, 8)) + Chunk("JUNK", "abc") + '\0' + Chunk("inst", inst) + '\0' +
                      Chunk("data", oddSamples) + '\0' + Chunk("slnt", U32(5)))),
            0);
  EXPECT_EQ(wav.InstChunk->HighNote, 127);
  EXPECT_EQ(wav.DataChunk->ChunkData, oddSamples);
  EXPECT_EQ(wav.SlntChunk->SilentSamplesNumber, 5);
  // A pad byte that ends the file is no stray id either.
  Wav endsInPad;
  ASSERT_EQ(endsInPad.GetWavFile(dir.Put("p.wav", Riff(Chunk("data", oddSamples) + '\0'))), 0);
  EXPECT_EQ(endsInPad.DataChunk->ChunkData, oddSamples);
}

TEST_F(RealWorld, OddChunkWithoutPadByteAsThisLibraryWritesIt) {
  const std::string inst = std::string("\x3C\x00\x00\x00\x7F\x01\x7F", 7);
  ASSERT_EQ(Read(Riff(Chunk("fmt ", FmtBody(1, 8000, 8)) + Chunk("inst", inst) + Chunk("data", kSamples))), 0);
  EXPECT_EQ(wav.InstChunk->UnshiftedNote, 60);
  EXPECT_EQ(wav.DataChunk->ChunkData, kSamples);
}

TEST_F(RealWorld, InfoListIsPassedOverAndTheNextChunkRead) {
  const std::string info = "INFO" + Chunk("ISFT", std::string("Lavf58.76.100\0", 14)) + Chunk("INAM", "Kick");
  ASSERT_EQ(Read(Riff(Chunk("fmt ", FmtBody(1, 8000, 8)) + Chunk("LIST", info) + Chunk("data", kSamples))), 0);
  // The model's list is the "adtl" list: an INFO list is kept whole instead.
  EXPECT_EQ(wav.ListChunk->ChunkId, "");
  ASSERT_EQ(wav.UnknownChunks->Count(), 1);
  EXPECT_EQ(wav.UnknownChunks->Item(1)->ChunkId, "LIST");
  EXPECT_EQ(wav.UnknownChunks->Item(1)->ChunkData, info);
  EXPECT_EQ(wav.DataChunk->ChunkData, kSamples);
}

TEST_F(RealWorld, RestOfAListAfterAnUnknownSubChunkIsPassedOver) {
  const std::string adtl = "adtl" + ("labl" + U32(6) + U32(1) + std::string("A\0", 2)) +
                           Chunk("file", U32(1) + "MIDIxx") + ("labl" + U32(6) + U32(2) + std::string("B\0", 2));
  ASSERT_EQ(Read(Riff(Chunk("LIST", adtl) + Chunk("data", kSamples))), 0);
  ASSERT_EQ(wav.ListChunk->WavLabls->Count(), 1);
  EXPECT_EQ(wav.ListChunk->WavLabls->Item(1)->LabelText, std::string("A\0", 2));
  EXPECT_EQ(wav.DataChunk->ChunkData, kSamples);
}

TEST_F(RealWorld, SamplerSpecificDataAfterTheLoopsIsPassedOver) {
  const std::string loop = U32(0) + U32(0) + U32(10) + U32(20) + U32(0) + U32(0);
  const std::string smpl = U32(0) + U32(0) + U32(22675) + U32(64) + U32(0) + U32(0) + U32(0) + U32(1) + U32(4) + loop +
                           "\x04\x01\x03\x02";
  ASSERT_EQ(Read(Riff(Chunk("fmt ", FmtBody(1, 44100, 16)) + Chunk("smpl", smpl) + Chunk("data", kSamples))), 0);
  EXPECT_EQ(wav.SmplChunk->SamplerData, 4);
  EXPECT_EQ(wav.SmplChunk->WavSmplLoops->Count(), 1);
  EXPECT_EQ(wav.DataChunk->ChunkData, kSamples);
}

TEST_F(RealWorld, StructuredChunkEndsWhereItsSizeSaysButNeverGoesBack) {
  // "slnt" declaring 8 bytes: four more than its field.
  ASSERT_EQ(Read(Riff(Chunk("slnt", U32(11) + "more") + Chunk("data", kSamples))), 0);
  EXPECT_EQ(wav.SlntChunk->SilentSamplesNumber, 11);
  EXPECT_EQ(wav.DataChunk->ChunkData, kSamples);
  // "slnt" declaring 2 bytes while its field takes 4: the next id follows the field.
  Wav shorter;
  ASSERT_EQ(shorter.GetWavFile(dir.Put("s.wav", Riff(ChunkSized("slnt", 2, U32(12)) + Chunk("data", kSamples)))), 0);
  EXPECT_EQ(shorter.SlntChunk->ChunkSize, 2);
  EXPECT_EQ(shorter.DataChunk->ChunkData, kSamples);
}

TEST_F(RealWorld, AnOversizedBodyNeverAllocatesMoreThanTheFileHolds) {
  const std::string file = Riff(Chunk("fmt ", FmtBody(1, 8000, 8)) + ChunkSized("data", 0x7FFFFFF0, kSamples));
  ResetLargestAllocation();
  ASSERT_EQ(Read(file), 0);
  EXPECT_LT(LargestAllocation(), 64 * 1024u);
  EXPECT_EQ(wav.DataChunk->ChunkSize, 0x7FFFFFF0);
  EXPECT_EQ(wav.DataChunk->ChunkData, kSamples);
  // The same for the other bodies read by their size.
  for (const char* id : {"PAD ", "wavl", "fact", "JUNK"}) {
    Wav other;
    ResetLargestAllocation();
    const std::string body = std::string(id) == "fact" ? U32(1) + kSamples : kSamples;
    EXPECT_EQ(other.GetWavFile(dir.Put("o.wav", Riff(ChunkSized(id, 0x7FFFFFF0, body)))), 0) << id;
    EXPECT_LT(LargestAllocation(), 64 * 1024u) << id;
  }
}

TEST_F(RealWorld, EachWavOwnsItsFileAccess) {
  // Another Wav made, used and destroyed in the middle of a write (from the
  // overwrite question) leaves this Wav's file alone.
  const std::string source = dir.Put("source.wav", Riff(Chunk("fmt ", FmtBody(1, 22050, 16)) + Chunk("data", kSamples)));
  ASSERT_EQ(wav.GetWavFile(source), 0);
  const std::string target = dir.Put("target.wav", "old");
  wav.SetOverwriteQuestion([&](const std::string&, const std::string&) {
    Wav other;
    EXPECT_EQ(other.GetWavFile(source), 0);
    EXPECT_EQ(other.PutWavFile(dir.File("other.wav"), true), 0);
    return true;
  });
  ASSERT_EQ(wav.PutWavFile(target), 0);
  Wav check;
  ASSERT_EQ(check.GetWavFile(target), 0);
  EXPECT_EQ(check.Fmt_Chunk->SampleRate, 22050);
  EXPECT_EQ(check.DataChunk->ChunkData, kSamples);
  // And a Wav destroyed while another reads later changes nothing.
  auto first = std::make_unique<Wav>();
  Wav second;
  first.reset();
  EXPECT_EQ(second.GetWavFile(source), 0);
}
