// SPDX-License-Identifier: MIT
// MakePcmWav and SavePcmWav: the file a recording becomes, and the formats
// and sizes no WAV file can have.

#include <gtest/gtest.h>

#include "quendal/quendal_wav.h"
#include "test_support.h"

using namespace quendal;
using namespace wavtest;

TEST(PcmWav, SamplesBecomeTheCanonicalFileAndBadFormatsWriteNothing) {
  TempDir dir;
  const std::string samples = Bytes(2048, 4);
  SavePcmWav(dir.File("take.wav"), {44100, 16, 1}, samples);
  EXPECT_EQ(ReadAll(dir.File("take.wav")), Example44() + samples);

  // 8-bit mono with an odd number of frames: the data chunk gets its pad byte.
  const auto odd = MakePcmWav({11025, 8, 1}, "abc");
  EXPECT_EQ(odd->Fmt_Chunk->BytesPerSecond, 11025);
  ASSERT_EQ(odd->PutWavFile(dir.File("odd.wav"), true), 0);
  EXPECT_EQ(ReadAll(dir.File("odd.wav")), Riff(Chunk("fmt ", FmtBody(1, 11025, 8)) + Chunk("data", "abc") + '\0'));

  // 32-bit float stereo: format code 3 with the extra-format count, and the frame count in "fact".
  const std::string floats = Bytes(3 * 8, 5);
  SavePcmWav(dir.File("pcm32.wav"), {96000, 32, 2}, floats);
  SaveFloatWav(dir.File("float.wav"), {96000, 32, 2}, floats);
  std::string floatFmt = FmtBody(2, 96000, 32);
  EXPECT_EQ(ReadAll(dir.File("pcm32.wav")), Riff(Chunk("fmt ", floatFmt) + Chunk("data", floats)));
  floatFmt[0] = 3;
  EXPECT_EQ(ReadAll(dir.File("float.wav")), Riff(Chunk("fmt ", floatFmt + U16(0)) + Chunk("fact", U32(3)) +
                                                 Chunk("data", floats)));

  EXPECT_THROW(MakePcmWav({44100, 12, 1}, ""), InvalidValueError);
  EXPECT_THROW(MakePcmWav({0, 16, 1}, ""), InvalidValueError);
  EXPECT_THROW(SavePcmWav(dir.File("half.wav"), {44100, 16, 2}, "abc"), InvalidValueError);  // not whole frames
  EXPECT_FALSE(fs::exists(dir.File("half.wav")));
}
