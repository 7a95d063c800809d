// SPDX-License-Identifier: GPL-3.0-or-later
// A take's sampler-chunk loop in the three instrument files, each in its own
// convention (SFZ and DecentSampler name the loop's last frame, SoundFont 2
// the frame after it), with the SoundFont's zero padding and guard points,
// and each region's release measured from its take.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "instrument/instrument_files.h"
#include "quendal/pcm_wav.h"
#include "quendal/unity_note.h"
#include "test_support.h"

namespace ntr::instrument {
namespace {

namespace fs = std::filesystem;

constexpr int kRate = 44100;
constexpr int kLoopStart = 22050;
constexpr int kLoopEnd = kLoopStart + 200 * 100 - 1;  // inclusive: 200 periods of 100 frames
constexpr double kNoteOff = 1.0;
constexpr double kRelease = 0.3;  // the tail falls 60 dB over it, then stops

// 441 Hz (100 frames a period), held 1 s, released over 0.3 s, then 0.2 s of silence; looped.
void WriteLoopedTake(const fs::path& file) {
  std::string bytes;
  const int frames = static_cast<int>(kRate * (kNoteOff + kRelease + 0.2));
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double level = t < kNoteOff              ? 1.0
                         : t < kNoteOff + kRelease ? std::pow(10.0, -3.0 * (t - kNoteOff) / kRelease)
                                                   : 0.0;
    const auto sample = static_cast<std::int16_t>(std::lround(12000.0 * level * std::sin(2 * M_PI * i / 100.0)));
    bytes += static_cast<char>(sample & 0xff);
    bytes += static_cast<char>((sample >> 8) & 0xff);
  }
  std::unique_ptr<quendal::Wav> wav = quendal::MakePcmWav({kRate, 16, 1}, std::move(bytes));
  quendal::ApplyUnityNote(*wav, 69);
  wav->SmplChunk->WavSmplLoops->Add(0, 0, kLoopStart, kLoopEnd, 0, 0);
  wav->SmplChunk->SampleLoopsNumber = 1;
  wav->SmplChunk->ChunkSize = 60;
  fs::create_directories(file.parent_path());
  ASSERT_EQ(wav->PutWavFile(file.string(), true), 0);
}

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

double NumberAfter(const std::string& text, const std::string& pattern) {
  std::smatch match;
  if (!std::regex_search(text, match, std::regex(pattern + "\"?([0-9.]+)"))) return -1;
  return std::stod(match[1]);
}

std::uint32_t U32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

TEST(LoopFiles, EveryFormatPlaysTheTakesLoopWithItsRecordedRelease) {
  testing::TempDir temp;
  const fs::path instrument = temp.Path() / "Organ";
  WriteLoopedTake(instrument / "PATCH_000" / "PATCH000_A5.WAV");
  ASSERT_NO_THROW(MakeInstrumentFiles(instrument.string()));

  // SFZ and DecentSampler: the last frame of the loop, as the sampler chunk has it.
  const std::string sfz = ReadText(instrument / "Organ_PATCH_000.sfz");
  EXPECT_NE(sfz.find("loop_mode=loop_sustain loop_start=22050 loop_end=42049"), std::string::npos) << sfz;
  const std::string preset = ReadText(instrument / "Organ_PATCH_000.dspreset");
  EXPECT_NE(preset.find("loopEnabled=\"true\" loopStart=\"22050\" loopEnd=\"42049\""), std::string::npos) << preset;
  // The release: note-off to silence, within a block of 10 ms or two.
  EXPECT_NEAR(NumberAfter(sfz, "ampeg_release="), kRelease, 0.03) << sfz;
  EXPECT_NEAR(NumberAfter(preset, "release="), kRelease, 0.03) << preset;

  // SoundFont 2: the loop end is the frame after the loop; 46 zero points
  // follow the sample; the 8 points on either side of the loop end are those
  // around its start.
  const std::string sf2 = ReadText(instrument / "Organ.sf2");
  const std::size_t data = sf2.find("smpl") + 8;
  const std::size_t headers = sf2.find("shdr") + 8;
  ASSERT_NE(sf2.find("shdr"), std::string::npos);
  const std::uint32_t start = U32(sf2, headers + 20), end = U32(sf2, headers + 24);
  const std::uint32_t loopStart = U32(sf2, headers + 28), loopEnd = U32(sf2, headers + 32);
  EXPECT_EQ(loopStart - start, static_cast<std::uint32_t>(kLoopStart));
  EXPECT_EQ(loopEnd - start, static_cast<std::uint32_t>(kLoopEnd + 1));
  const auto point = [&](std::uint32_t at) {
    std::int16_t value = 0;
    std::memcpy(&value, sf2.data() + data + 2 * at, 2);
    return value;
  };
  for (std::uint32_t i = 0; i < 46; ++i) EXPECT_EQ(point(end + i), 0) << i;
  for (int i = -8; i < 8; ++i) EXPECT_EQ(point(loopEnd + i), point(loopStart + i)) << i;
  // Sample mode 3 (generator 54): loop while the key is down, then play on.
  const std::size_t generators = sf2.find("igen") + 8;
  bool loopsThenReleases = false;
  for (std::size_t at = generators; at + 4 <= generators + U32(sf2, generators - 4); at += 4) {
    if (static_cast<unsigned char>(sf2[at]) == 54 && sf2[at + 2] == 3) loopsThenReleases = true;
  }
  EXPECT_TRUE(loopsThenReleases);
}

}  // namespace
}  // namespace ntr::instrument
