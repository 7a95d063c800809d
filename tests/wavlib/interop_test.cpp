// SPDX-License-Identifier: MIT
// Interop with independent peers: files written by libsndfile and sox read
// with the right values, and files this library writes are accepted by
// sndfile-info and sox with the right rate, channels and length.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "process.h"
#include "quendal/quendal_wav.h"
#include "test_support.h"

using namespace quendal;
using namespace wavtest;

namespace {

const std::string kSox = SOX_PATH;
const std::string kSndfileInfo = SNDFILE_INFO_PATH;

// The number after "label :" in a peer's report, or -1.
long long Field(const std::string& report, const std::string& label) {
  for (std::size_t at = report.find(label); at != std::string::npos; at = report.find(label, at + 1)) {
    std::size_t i = at + label.size();
    while (i < report.size() && report[i] == ' ') ++i;
    if (i >= report.size() || report[i] != ':') continue;
    ++i;
    while (i < report.size() && report[i] == ' ') ++i;
    if (i < report.size() && std::isdigit(static_cast<unsigned char>(report[i]))) return std::stoll(report.substr(i, 20));
  }
  return -1;
}

// A model the sampler would save: 16-bit stereo 22050 Hz, 1000 frames, with
// a sampler chunk, cue points and their labels; and odd-sized chunks, one of
// them unknown to the library, which only pad bytes keep readable.
void MakeTaggedTake(Wav& wav) {
  const auto take = MakePcmWav({22050, 16, 2}, Bytes(4000, 3));
  wav.FileHeader = take->FileHeader, wav.Fmt_Chunk = take->Fmt_Chunk, wav.DataChunk = take->DataChunk;
  wav.CueChunk->ChunkId = "cue ", wav.CueChunk->ChunkSize = 4 + 2 * 24, wav.CueChunk->CuePointsNumber = 2;
  wav.CueChunk->WavCuePoints->Add(1, 0, "data", 0, 0, 100);
  wav.CueChunk->WavCuePoints->Add(2, 0, "data", 0, 0, 600);
  wav.ListChunk->ChunkId = "LIST", wav.ListChunk->ChunkSize = 4 + 14 + 14, wav.ListChunk->TypeID = "adtl";
  wav.ListChunk->WavLabls->Add("labl", 6, 1, std::string("A\0", 2));
  wav.ListChunk->WavLabls->Add("labl", 6, 2, std::string("B\0", 2));
  ApplyUnityNote(wav, 64);
  wav.InstChunk->ChunkId = "inst", wav.InstChunk->ChunkSize = 7, wav.InstChunk->UnshiftedNote = 64;
  wav.InstChunk->LowVelocity = 1, wav.InstChunk->HighVelocity = 127, wav.InstChunk->HighNote = 127;
  wav.UnknownChunks->Add("ntr ", 5, "odd!!")->WrittenAfter = "fmt ";
}

// Every top-level chunk of original is in copy with the same body, but those
// whose ids are in changed.
void ExpectChunksKept(const std::string& original, const std::string& copy, const std::string& changed = "") {
  auto inCopy = TopLevelChunks(copy);
  for (const auto& chunk : TopLevelChunks(original)) {
    if (changed.find(chunk.first) != std::string::npos) continue;
    const auto found = std::find(inCopy.begin(), inCopy.end(), chunk);
    EXPECT_NE(found, inCopy.end()) << "\"" << chunk.first << "\" is not in the copy";
    if (found != inCopy.end()) inCopy.erase(found);
  }
}

// Opens path for libsndfile to write a 16-bit PCM WAV file.
SNDFILE* SndfileWriter(const std::string& path, int rate, int channels) {
  SF_INFO info{};
  info.samplerate = rate, info.channels = channels, info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  return sf_open(path.c_str(), SFM_WRITE, &info);
}

}  // namespace

TEST(Interop, ReadsWhatLibsndfileWritesWithInstrumentAndCues) {
  TempDir dir;
  const std::string path = dir.File("sndfile.wav");
  SNDFILE* file = SndfileWriter(path, 22050, 2);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  SF_INSTRUMENT instrument{};
  instrument.gain = 1, instrument.basenote = 64, instrument.velocity_lo = 1, instrument.velocity_hi = 127;
  instrument.key_lo = 10, instrument.key_hi = 100, instrument.loop_count = 1;
  instrument.loops[0].mode = SF_LOOP_FORWARD, instrument.loops[0].start = 100, instrument.loops[0].end = 900;
  ASSERT_EQ(sf_command(file, SFC_SET_INSTRUMENT, &instrument, sizeof instrument), SF_TRUE);
  SF_CUES cues{};
  cues.cue_count = 2;
  for (int i = 0; i < 2; ++i) {
    cues.cue_points[i].indx = i + 1;
    cues.cue_points[i].fcc_chunk = 0x61746164;  // "data"
    cues.cue_points[i].sample_offset = 250u * static_cast<uint32_t>(i + 1);
  }
  ASSERT_EQ(sf_command(file, SFC_SET_CUE, &cues, sizeof cues), SF_TRUE);
  std::vector<short> frames(2000);
  for (std::size_t i = 0; i < frames.size(); ++i) frames[i] = static_cast<short>(i * 7);
  ASSERT_EQ(sf_writef_short(file, frames.data(), 1000), 1000);
  sf_close(file);

  Wav wav;
  ASSERT_EQ(wav.GetWavFile(path), 0);
  EXPECT_EQ(wav.Fmt_Chunk->SampleRate, 22050);
  EXPECT_EQ(wav.Fmt_Chunk->ChannelsNumber, 2);
  EXPECT_EQ(wav.Fmt_Chunk->BitsPerSample, 16);
  ASSERT_EQ(wav.DataChunk->ChunkSize, 4000);
  EXPECT_EQ(std::memcmp(wav.DataChunk->ChunkData.data(), frames.data(), 4000), 0);
  EXPECT_EQ(wav.SmplChunk->ChunkId, "smpl");
  EXPECT_EQ(wav.SmplChunk->MIDIUnityNote, 64);
  EXPECT_EQ(wav.SmplChunk->SamplePeriod, 45351);
  ASSERT_EQ(wav.SmplChunk->WavSmplLoops->Count(), 1);
  EXPECT_EQ(wav.SmplChunk->WavSmplLoops->Item(1)->LoopStart, 100);
  EXPECT_EQ(wav.CueChunk->CuePointsNumber, 2);
  ASSERT_EQ(wav.CueChunk->WavCuePoints->Count(), 2);
  EXPECT_EQ(wav.CueChunk->WavCuePoints->Item(2)->SampleOffset, 500);
  EXPECT_EQ(wav.CueChunk->WavCuePoints->Item(2)->DataChunkID, "data");
}

TEST(Interop, ReadsWhatSoxWrites) {
  if (kSox.empty()) GTEST_SKIP() << "sox was not found when the build was configured";
  TempDir dir;
  // 8-bit mono at 11025 Hz: an odd data chunk followed by its pad byte.
  const std::string odd = dir.File("odd.wav");
  ASSERT_EQ(RunProgram(kSox, {"-n", "-r", "11025", "-c", "1", "-b", "8", odd, "synth", "0.1", "sine", "440"}).exitCode, 0);
  Wav mono;
  ASSERT_EQ(mono.GetWavFile(odd), 0);
  EXPECT_EQ(mono.Fmt_Chunk->SampleRate, 11025);
  EXPECT_EQ(mono.Fmt_Chunk->ChannelsNumber, 1);
  EXPECT_EQ(mono.Fmt_Chunk->BitsPerSample, 8);
  EXPECT_EQ(mono.DataChunk->ChunkSize, 1103);
  EXPECT_EQ(mono.DataChunk->ChunkData.size(), 1103u);
  // 24-bit stereo: sox writes the extensible format with its extra bytes.
  const std::string wide = dir.File("wide.wav");
  ASSERT_EQ(RunProgram(kSox, {"-n", "-r", "48000", "-c", "2", "-b", "24", wide, "synth", "0.05", "sine", "220"}).exitCode, 0);
  Wav stereo;
  ASSERT_EQ(stereo.GetWavFile(wide), 0);
  EXPECT_EQ(stereo.Fmt_Chunk->SampleRate, 48000);
  EXPECT_EQ(stereo.Fmt_Chunk->ChannelsNumber, 2);
  EXPECT_EQ(stereo.Fmt_Chunk->BitsPerSample, 24);
  EXPECT_EQ(stereo.Fmt_Chunk->ExtraFormatBytes, static_cast<int32_t>(stereo.Fmt_Chunk->ExtraFormatString.size()));
  EXPECT_EQ(stereo.DataChunk->ChunkSize, 2400 * 6);
}

TEST(Interop, SndfileInfoAcceptsWhatThisLibraryWrites) {
  if (kSndfileInfo.empty()) GTEST_SKIP() << "sndfile-info was not found when the build was configured";
  TempDir dir;
  Wav wav;
  MakeTaggedTake(wav);
  const std::string path = dir.File("take.wav");
  ASSERT_EQ(wav.PutWavFile(path, true), 0);
  const ProcessResult report = RunProgram(kSndfileInfo, {path}, true);
  ASSERT_EQ(report.exitCode, 0) << report.output;
  EXPECT_EQ(report.output.find("rror"), std::string::npos) << report.output;
  EXPECT_EQ(Field(report.output, "Sample Rate"), 22050) << report.output;
  EXPECT_EQ(Field(report.output, "Channels"), 2);
  EXPECT_EQ(Field(report.output, "Frames"), 1000);
  EXPECT_EQ(Field(report.output, "Midi Note"), 64);
  EXPECT_EQ(Field(report.output, "Period"), 45351);

  // And libsndfile reads the samples and the tags through its API.
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  EXPECT_EQ(info.frames, 1000);
  SF_INSTRUMENT instrument{};
  EXPECT_EQ(sf_command(file, SFC_GET_INSTRUMENT, &instrument, sizeof instrument), SF_TRUE);
  EXPECT_EQ(instrument.basenote, 64);
  uint32_t cueCount = 0;
  EXPECT_EQ(sf_command(file, SFC_GET_CUE_COUNT, &cueCount, sizeof cueCount), SF_TRUE);
  EXPECT_EQ(cueCount, 2u);
  std::vector<char> samples(4000);
  EXPECT_EQ(sf_read_raw(file, samples.data(), 4000), 4000);
  EXPECT_EQ(std::string(samples.data(), 4000), wav.DataChunk->ChunkData);
  sf_close(file);
}

TEST(Interop, SoxAcceptsWhatThisLibraryWrites) {
  if (kSox.empty()) GTEST_SKIP() << "sox was not found when the build was configured";
  TempDir dir;
  Wav wav;
  MakeTaggedTake(wav);
  const std::string path = dir.File("take.wav");
  ASSERT_EQ(wav.PutWavFile(path, true), 0);
  const ProcessResult report = RunProgram(kSox, {"--i", path}, true);
  ASSERT_EQ(report.exitCode, 0) << report.output;
  EXPECT_EQ(Field(report.output, "Channels"), 2) << report.output;
  EXPECT_EQ(Field(report.output, "Sample Rate"), 22050);
  EXPECT_NE(report.output.find("= 1000 samples"), std::string::npos) << report.output;
  // A copy made by qwav's path (read, write) of a sox file is accepted too.
  const std::string made = dir.File("made.wav");
  ASSERT_EQ(RunProgram(kSox, {"-n", "-r", "44100", "-c", "1", "-b", "16", made, "synth", "0.2", "sine", "330"}).exitCode, 0);
  Wav copy;
  ASSERT_EQ(copy.GetWavFile(made), 0);
  ApplyUnityNote(copy, 60);
  ASSERT_EQ(copy.PutWavFile(dir.File("tagged.wav"), true), 0);
  const ProcessResult tagged = RunProgram(kSox, {"--i", dir.File("tagged.wav")}, true);
  ASSERT_EQ(tagged.exitCode, 0) << tagged.output;
  EXPECT_EQ(Field(tagged.output, "Sample Rate"), 44100);
  EXPECT_NE(tagged.output.find("= 8820 samples"), std::string::npos) << tagged.output;
}

TEST(Interop, TaggingKeepsTheChunksLibsndfileAndSoxWrite) {
  TempDir dir;
  // libsndfile: broadcast extension, LIST INFO, cue points and a sampler chunk.
  const std::string path = dir.File("sndfile.wav");
  SNDFILE* file = SndfileWriter(path, 44100, 1);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  SF_BROADCAST_INFO broadcast{};
  std::strcpy(broadcast.description, "NTR interop take");
  std::strcpy(broadcast.originator, "NTR");
  ASSERT_EQ(sf_command(file, SFC_SET_BROADCAST_INFO, &broadcast, sizeof broadcast), SF_TRUE);
  ASSERT_EQ(sf_set_string(file, SF_STR_TITLE, "Piano C5"), 0);
  ASSERT_EQ(sf_set_string(file, SF_STR_COMMENT, "odd length"), 0);
  SF_CUES cues{};
  cues.cue_count = 1, cues.cue_points[0].indx = 1, cues.cue_points[0].fcc_chunk = 0x61746164;
  ASSERT_EQ(sf_command(file, SFC_SET_CUE, &cues, sizeof cues), SF_TRUE);
  SF_INSTRUMENT instrument{};
  instrument.basenote = 60, instrument.velocity_hi = 127, instrument.key_hi = 127;
  ASSERT_EQ(sf_command(file, SFC_SET_INSTRUMENT, &instrument, sizeof instrument), SF_TRUE);
  std::vector<short> frames(1001, 1000);
  ASSERT_EQ(sf_writef_short(file, frames.data(), 1001), 1001);
  sf_close(file);
  const std::string original = ReadAll(path);

  ASSERT_EQ(RunProgram(QWAV_PATH, {"set-unity-note", path, "72"}).exitCode, 0);
  const std::string tagged = ReadAll(path);
  ExpectChunksKept(original, tagged, "smpl");
  SF_INFO info{};
  file = sf_open(path.c_str(), SFM_READ, &info);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  EXPECT_EQ(info.frames, 1001);
  EXPECT_STREQ(sf_get_string(file, SF_STR_TITLE), "Piano C5");
  SF_BROADCAST_INFO readBack{};
  ASSERT_EQ(sf_command(file, SFC_GET_BROADCAST_INFO, &readBack, sizeof readBack), SF_TRUE);
  EXPECT_STREQ(readBack.description, "NTR interop take");
  ASSERT_EQ(sf_command(file, SFC_GET_INSTRUMENT, &instrument, sizeof instrument), SF_TRUE);
  EXPECT_EQ(instrument.basenote, 72);
  sf_close(file);
  if (!kSox.empty()) {
    const ProcessResult report = RunProgram(kSox, {"--i", path}, true);
    EXPECT_EQ(report.exitCode, 0) << report.output;
    EXPECT_NE(report.output.find("= 1001 samples"), std::string::npos) << report.output;
  }

  // sox: an odd data chunk and its pad byte come back byte for byte.
  if (kSox.empty()) GTEST_SKIP() << "sox was not found when the build was configured";
  const std::string made = dir.File("sox.wav");
  ASSERT_EQ(RunProgram(kSox, {"-n", "-r", "8000", "-b", "8", "-c", "1", made, "synth", "101s", "sine", "440"}).exitCode, 0);
  ASSERT_EQ(RunProgram(QWAV_PATH, {"copy", made, dir.File("copy.wav")}).exitCode, 0);
  EXPECT_EQ(U32At(ReadAll(made), 40) % 2, 1u);  // an odd data chunk
  EXPECT_EQ(ReadAll(dir.File("copy.wav")), ReadAll(made));
}

TEST(Interop, PeersReadTwentyFourBitAndFloatTakesWithTheirFormat) {
  if (kSox.empty() || kSndfileInfo.empty()) GTEST_SKIP() << "sox or sndfile-info was not found";
  TempDir dir;
  // 400 stereo frames of a ramp: 24-bit PCM, and the same values as 32-bit floats.
  std::string pcm24;
  std::string floats;
  std::vector<float> values;
  for (int i = 0; i < 800; ++i) {
    const int32_t v = (i - 400) * 20000;  // within +-2^23
    pcm24 += std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                         static_cast<char>((v >> 16) & 0xFF)};
    values.push_back(static_cast<float>(v) / 8388608.0f);
    char bytes[4];
    std::memcpy(bytes, &values.back(), 4);
    floats.append(bytes, 4);
  }
  struct Case {
    std::string name;
    std::unique_ptr<Wav> wav;
    int sndfileFormat;
    std::string soxEncoding;
  };
  std::vector<Case> cases;
  cases.push_back({"int24.wav", MakePcmWav({48000, 24, 2}, pcm24), SF_FORMAT_PCM_24, "24-bit Signed Integer PCM"});
  cases.push_back({"float.wav", MakeFloatWav({96000, 32, 2}, floats), SF_FORMAT_FLOAT, "32-bit Floating Point PCM"});
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    ApplyUnityNote(*c.wav, 60);
    const std::string path = dir.File(c.name);
    ASSERT_EQ(c.wav->PutWavFile(path, true), 0);
    const int rate = c.wav->Fmt_Chunk->SampleRate;

    const ProcessResult info = RunProgram(kSndfileInfo, {path}, true);
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_EQ(info.output.find("rror"), std::string::npos) << info.output;
    EXPECT_EQ(info.output.find("arning"), std::string::npos) << info.output;
    EXPECT_EQ(Field(info.output, "Sample Rate"), rate) << info.output;
    EXPECT_EQ(Field(info.output, "Frames"), 400);
    EXPECT_EQ(Field(info.output, "Midi Note"), 60);
    SF_INFO format{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &format);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(format.format, SF_FORMAT_WAV | c.sndfileFormat);
    std::vector<float> read(800);
    EXPECT_EQ(sf_readf_float(file, read.data(), 400), 400);
    sf_close(file);
    EXPECT_EQ(read, values);

    const ProcessResult sox = RunProgram(kSox, {"--i", path}, true);
    ASSERT_EQ(sox.exitCode, 0) << sox.output;
    EXPECT_EQ(Field(sox.output, "Sample Rate"), rate) << sox.output;
    EXPECT_NE(sox.output.find(c.soxEncoding), std::string::npos) << sox.output;
    EXPECT_NE(sox.output.find("= 400 samples"), std::string::npos) << sox.output;
    // sox decodes the samples to the same values (its statistics of the left channel).
    const ProcessResult stats = RunProgram(kSox, {path, "-n", "remix", "1", "stats"}, true);
    EXPECT_NE(stats.output.find("-0.953674"), std::string::npos) << stats.output;
  }
  EXPECT_THROW(MakeFloatWav({44100, 16, 2}, ""), InvalidValueError);
}
