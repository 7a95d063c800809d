// SPDX-License-Identifier: MIT
// BytesToLong, LongToBytes and the format-name table.

#include <gtest/gtest.h>

#include "quendal/qd_wav_module.h"
#include "quendal/wav_errors.h"

using namespace quendal;
using QDWavModule::BytesToLong;
using QDWavModule::CompressionDesc;
using QDWavModule::LongToBytes;

TEST(BytesToLong, ReadsUnsignedLittleEndianOfAnyShortLength) {
  EXPECT_EQ(BytesToLong(std::string("\x24\x08\x00\x00", 4)), 2084);
  EXPECT_EQ(BytesToLong(std::string("\x44\xAC", 2)), 44100);
  EXPECT_EQ(BytesToLong("\xFF"), 255);  // bytes are unsigned
  EXPECT_EQ(BytesToLong(std::string("\x01\x02\x03", 3)), 0x030201);
  EXPECT_EQ(BytesToLong(""), 0);  // the end of the file: nothing to convert
  EXPECT_EQ(BytesToLong("\xFF\xFF\xFF\x7F"), 2147483647);
}

TEST(BytesToLong, FailsWithOverflowFrom2To31) {
  EXPECT_THROW(BytesToLong(std::string("\x00\x00\x00\x80", 4)), OverflowError);
  EXPECT_THROW(BytesToLong("\xFF\xFF\xFF\xFF"), OverflowError);
  try {
    BytesToLong(std::string("\x00\x00\x00\x80", 4));
  } catch (const WavError& error) {
    EXPECT_EQ(error.Kind(), WavErrorKind::Overflow);
    EXPECT_STREQ(error.KindName(), "overflow");
  }
}

TEST(LongToBytes, GivesExactlyWidthBytesLowFirst) {
  EXPECT_EQ(LongToBytes(2084, 4), std::string("\x24\x08\x00\x00", 4));
  EXPECT_EQ(LongToBytes(1, 2), std::string("\x01\x00", 2));
  EXPECT_EQ(LongToBytes(300, 1), "\x2C");                         // modulo 256: 44
  EXPECT_EQ(LongToBytes(0x01020304, 2), std::string("\x04\x03", 2));
  EXPECT_EQ(LongToBytes(2147483647, 4), "\xFF\xFF\xFF\x7F");
  EXPECT_EQ(LongToBytes(7, 6), std::string("\x07\x00\x00\x00\x00\x00", 6));
}

TEST(LongToBytes, ZeroAndNegativeValuesGiveZeroBytes) {
  EXPECT_EQ(LongToBytes(0, 4), std::string(4, '\0'));
  EXPECT_EQ(LongToBytes(-1, 4), std::string(4, '\0'));
  EXPECT_EQ(LongToBytes(-2147483647 - 1, 2), std::string(2, '\0'));
}

TEST(CompressionDesc, NamesTheTableCodesAndUnknownOtherwise) {
  EXPECT_EQ(CompressionDesc(1), "PCM / uncompressed");
  EXPECT_EQ(CompressionDesc(2), "Microsoft ADPCM");
  EXPECT_EQ(CompressionDesc(6), "ITU G.711 a-law");
  EXPECT_EQ(CompressionDesc(7), "ITU G.711 m-law");
  EXPECT_EQ(CompressionDesc(17), "IMA ADPCM");
  EXPECT_EQ(CompressionDesc(20), "ITU G.723 ADPCM (Yamaha)");
  EXPECT_EQ(CompressionDesc(49), "GSM 6.10");
  EXPECT_EQ(CompressionDesc(64), "ITU G.721 ADPCM");
  EXPECT_EQ(CompressionDesc(80), "MPEG");
  EXPECT_EQ(CompressionDesc(65535), "Experimental");
  EXPECT_EQ(CompressionDesc(3), "Unknown");
  EXPECT_EQ(CompressionDesc(0xFFFE), "Unknown");
}
