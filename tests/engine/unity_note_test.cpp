// SPDX-License-Identifier: GPL-3.0-or-later
// The unity note given in the take's finishing: the sampler chunk's bytes,
// its sample period per rate, and a chunk the recording already has.

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/takes/take_finishing.h"
#include "quendal/wav.h"
#include "test_support.h"

namespace ntr {
namespace {

FinishingRequest Tagged(int note) {
  FinishingRequest request;
  request.note = note;
  request.embedNote = true;
  return request;
}

TEST(UnityNote, Adds44BytesOfSamplerChunkBetweenFormatAndData) {
  testing::TempDir dir;
  const std::string take = dir / "PATCHXXX_C5.WAV";
  fakes::WritePcmWav(take, {44100, 16, 1}, 100);
  const std::string before = testing::ReadBytes(take);

  EXPECT_TRUE(FinishTake(take, Tagged(60)).tagged);

  const std::string after = testing::ReadBytes(take);
  ASSERT_EQ(after.size(), before.size() + 44);
  EXPECT_EQ(testing::LittleEndian32(after, 4), testing::LittleEndian32(before, 4) + 44);
  EXPECT_EQ(after.substr(8, 28), before.substr(8, 28));  // "WAVE" and the format chunk
  const unsigned char smpl[44] = {0x73, 0x6D, 0x70, 0x6C, 0x24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x93, 0x58, 0, 0,
                                  0x3C, 0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,    0,    0, 0,
                                  0,    0,    0,    0};
  EXPECT_EQ(after.substr(36, 44), std::string(reinterpret_cast<const char*>(smpl), 44));
  EXPECT_EQ(after.substr(80), before.substr(36));  // the data chunk, unchanged
}

TEST(UnityNote, TakesTheSamplePeriodFromEachRecordingsOwnRate) {
  testing::TempDir dir;
  for (const auto& [rate, period] : {std::pair{44100, 22675u}, std::pair{22050, 45351u}, std::pair{11025, 90702u}}) {
    const std::string take = dir / ("take" + std::to_string(rate) + ".WAV");
    fakes::WritePcmWav(take, {rate, 8, 2}, 10);
    FinishTake(take, Tagged(61));
    const std::string bytes = testing::ReadBytes(take);
    EXPECT_EQ(testing::LittleEndian32(bytes, 52), period) << rate;
    EXPECT_EQ(testing::LittleEndian32(bytes, 56), 61u) << rate;
  }
}

TEST(UnityNote, KeepsAnExistingSamplerChunkExceptItsUnityNote) {
  testing::TempDir dir;
  const std::string take = dir / "take.WAV";
  fakes::WritePcmWav(take, {22050, 16, 2}, 50, [](quendal::Wav& wav) {
    quendal::WavSmpl& smpl = *wav.SmplChunk;
    smpl.ChunkId = "smpl";
    smpl.ChunkSize = 60;
    smpl.Manufacturer = 7;
    smpl.Product = 9;
    smpl.SamplePeriod = 1234;
    smpl.MIDIUnityNote = 10;
    smpl.MIDIPitchFraction = 5;
    smpl.SMPTEFormat = 25;
    smpl.SMPTEOffset = 3;
    smpl.SampleLoopsNumber = 1;
    smpl.WavSmplLoops->Add(1, 0, 10, 20, 0, 4);
  });

  FinishTake(take, Tagged(72));

  quendal::Wav wav;
  ASSERT_EQ(wav.GetWavFile(take), 0);
  const quendal::WavSmpl& smpl = *wav.SmplChunk;
  EXPECT_EQ(smpl.MIDIUnityNote, 72);
  EXPECT_EQ(smpl.ChunkSize, 60);
  EXPECT_EQ(smpl.Manufacturer, 7);
  EXPECT_EQ(smpl.Product, 9);
  EXPECT_EQ(smpl.SamplePeriod, 1234);
  EXPECT_EQ(smpl.MIDIPitchFraction, 5);
  EXPECT_EQ(smpl.SMPTEFormat, 25);
  EXPECT_EQ(smpl.SMPTEOffset, 3);
  EXPECT_EQ(smpl.SampleLoopsNumber, 1);
  ASSERT_EQ(smpl.WavSmplLoops->Count(), 1);
  EXPECT_EQ(smpl.WavSmplLoops->Item(1)->LoopEnd, 20);
  EXPECT_EQ(smpl.WavSmplLoops->Item(1)->LoopPlayCount, 4);
}

TEST(UnityNote, ARecordingThatIsNoWavFileIsLeftAsItIsWithAWarning) {
  testing::TempDir dir;
  testing::WriteBytes(dir.Path() / "noise.WAV", "this is not a RIFF file at all");
  fakes::WritePcmWav(dir / "rate0.WAV", {44100, 16, 1}, 10, [](quendal::Wav& wav) { wav.Fmt_Chunk->SampleRate = 0; });
  for (const char* name : {"noise.WAV", "missing.WAV", "rate0.WAV"}) {
    const std::string take = dir / name;
    const std::string before = std::filesystem::exists(take) ? testing::ReadBytes(take) : "";
    const FinishedTake finished = FinishTake(take, Tagged(60));
    EXPECT_FALSE(finished.tagged) << name;
    EXPECT_FALSE(finished.warnings.empty()) << name;
    EXPECT_EQ(std::filesystem::exists(take) ? testing::ReadBytes(take) : "", before) << name;
  }
}

}  // namespace
}  // namespace ntr
