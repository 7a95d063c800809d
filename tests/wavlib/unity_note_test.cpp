// SPDX-License-Identifier: MIT
// ApplyUnityNote: the sampler chunk a recording gets, as bytes in the file.

#include <gtest/gtest.h>

#include "quendal/quendal_wav.h"
#include "test_support.h"

using namespace quendal;
using namespace wavtest;

namespace {

std::string Recording(uint32_t rate) {
  return Riff(Chunk("fmt ", FmtBody(1, rate, 16)) + Chunk("data", Bytes(2048, 9)));
}

}  // namespace

TEST(UnityNote, NewSamplerChunkIs44BytesBetweenFormatAndData) {
  TempDir dir;
  const std::string recording = Recording(44100);
  Wav wav;
  ASSERT_EQ(wav.GetWavFile(dir.Put("NTRXXX.WAV", recording)), 0);
  ApplyUnityNote(wav, 60);
  const std::string target = dir.File("PATCH005_C5.WAV");
  ASSERT_EQ(wav.PutWavFile(target, true), 0);
  const std::string file = ReadAll(target);
  const unsigned char chunk[] = {0x73, 0x6D, 0x70, 0x6C, 0x24, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                 0x00, 0x00, 0x00, 0x00, 0x93, 0x58, 0x00, 0x00, 0x3C, 0x00, 0x00, 0x00,
                                 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(file.size(), recording.size() + 44);
  EXPECT_EQ(file.substr(0, 36), recording.substr(0, 4) + U32(2084 + 44) + recording.substr(8, 28));
  EXPECT_EQ(file.substr(36, 44), std::string(reinterpret_cast<const char*>(chunk), sizeof chunk));
  EXPECT_EQ(file.substr(80), recording.substr(36));
}

TEST(UnityNote, SamplePeriodIsTheWholePartForEachRate) {
  for (const auto& [rate, period] : {std::pair{44100, 22675}, {22050, 45351}, {11025, 90702}, {1, 1000000000}}) {
    Wav wav;
    wav.Fmt_Chunk->SampleRate = rate;
    wav.SmplChunk->SamplerData = 12;  // not part of the fill: it keeps its value
    wav.SmplChunk->WavSmplLoops->Add(1, 0, 0, 10, 0, 0);
    ApplyUnityNote(wav, 72);
    EXPECT_EQ(wav.SmplChunk->SamplePeriod, period) << rate;
    EXPECT_EQ(wav.SmplChunk->ChunkId, "smpl");
    EXPECT_EQ(wav.SmplChunk->ChunkSize, 36);
    EXPECT_EQ(wav.SmplChunk->MIDIUnityNote, 72);
    EXPECT_EQ(wav.SmplChunk->SamplerData, 12);
    EXPECT_EQ(wav.SmplChunk->WavSmplLoops->Count(), 0);
  }
}

TEST(UnityNote, ExistingSamplerChunkKeepsEverythingButTheNote) {
  Wav wav;
  wav.Fmt_Chunk->SampleRate = 0;  // not needed when the chunk exists
  WavSmpl& smpl = *wav.SmplChunk;
  smpl.ChunkId = "smpl", smpl.ChunkSize = 60, smpl.Manufacturer = 0x47, smpl.SamplePeriod = 20833;
  smpl.MIDIUnityNote = 48, smpl.MIDIPitchFraction = 1000, smpl.SampleLoopsNumber = 1;
  smpl.WavSmplLoops->Add(0, 0, 100, 900, 0, 0);
  ApplyUnityNote(wav, 64);
  EXPECT_EQ(smpl.MIDIUnityNote, 64);
  EXPECT_EQ(smpl.ChunkSize, 60);
  EXPECT_EQ(smpl.Manufacturer, 0x47);
  EXPECT_EQ(smpl.SamplePeriod, 20833);
  EXPECT_EQ(smpl.MIDIPitchFraction, 1000);
  EXPECT_EQ(smpl.SampleLoopsNumber, 1);
  ASSERT_EQ(smpl.WavSmplLoops->Count(), 1);
  EXPECT_EQ(smpl.WavSmplLoops->Item(1)->LoopEnd, 900);
}

TEST(UnityNote, RateOfZeroOrBelowFailsAndChangesNothing) {
  for (int32_t rate : {0, -44100}) {
    Wav wav;
    wav.Fmt_Chunk->SampleRate = rate;
    EXPECT_THROW(ApplyUnityNote(wav, 60), InvalidValueError);
    EXPECT_EQ(wav.SmplChunk->ChunkId, "");
    EXPECT_EQ(wav.SmplChunk->MIDIUnityNote, 0);
  }
}
