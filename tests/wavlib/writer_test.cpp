// SPDX-License-Identifier: MIT
// PutWavFile: the layout and order written, the overwrite question, and that
// no failure leaves a half-written file or destroys the file it would replace.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include "quendal/quendal_wav.h"
#include "test_support.h"

using namespace quendal;
using namespace wavtest;

namespace {

class Writer : public ::testing::Test {
 protected:
  // A minimal valid model: 16-bit mono 44100 Hz with n sample bytes.
  void MakePcm(std::size_t n) {
    wav.FileHeader->ChunkId = "RIFF";
    wav.FileHeader->ChunkData = "WAVE";
    wav.Fmt_Chunk->ChunkId = "fmt ";
    wav.Fmt_Chunk->ChunkSize = 16;
    wav.Fmt_Chunk->CompressionCode = 1;
    wav.Fmt_Chunk->ChannelsNumber = 1;
    wav.Fmt_Chunk->SampleRate = 44100;
    wav.Fmt_Chunk->BytesPerSecond = 88200;
    wav.Fmt_Chunk->BytesPerSample = 2;
    wav.Fmt_Chunk->BitsPerSample = 16;
    wav.DataChunk->ChunkId = "data";
    wav.DataChunk->ChunkSize = static_cast<int32_t>(n);
    wav.DataChunk->ChunkData = Bytes(n, 11);
  }
  std::string Written() {
    const std::string path = dir.File("out.wav");
    EXPECT_EQ(wav.PutWavFile(path, true), 0);
    return ReadAll(path);
  }
  // The bytes between the format chunk and the data chunk of a written file.
  static std::string Middle(const std::string& file, std::size_t dataSize) {
    return file.substr(36, file.size() - 36 - 8 - dataSize);
  }

  TempDir dir;
  Wav wav;
};

}  // namespace

TEST_F(Writer, CanonicalFileRoundTripsByteForByte) {
  const std::string file = Example44() + Bytes(2048, 5);
  const std::string in = dir.Put("in.wav", file);
  ASSERT_EQ(wav.GetWavFile(in), 0);
  const std::string out = dir.File("out.wav");
  ASSERT_EQ(wav.PutWavFile(out, true), 0);
  EXPECT_EQ(ReadAll(out), file);
}

TEST_F(Writer, FixedOrderDataLastWithoutWavlAndRiffSizeRecomputed) {
  const std::string samples = Bytes(10, 2);
  const std::string list = "adtl" + ("labl" + U32(6) + U32(1) + std::string("A\0", 2));
  const std::string file = "RIFF" + U32(9999) + "WAVE" + Chunk("fmt ", FmtBody(1, 8000, 8)) + Chunk("data", samples) +
                           Chunk("wavl", "wavlbody") + Chunk("LIST", list);
  ASSERT_EQ(wav.GetWavFile(dir.Put("in.wav", file)), 0);
  const std::string expected = Riff(Chunk("fmt ", FmtBody(1, 8000, 8)) + Chunk("LIST", list) + Chunk("data", samples));
  EXPECT_EQ(Written(), expected);
  EXPECT_EQ(wav.FileHeader->ChunkSize, static_cast<int32_t>(expected.size() - 8));
  EXPECT_EQ(wav.WavlChunk->ChunkData, "wavlbody");  // read, kept in the model, never written
}

TEST_F(Writer, EveryOptionalChunkInItsPlaceAndLayout) {
  MakePcm(4);
  wav.FactChunk->ChunkId = "fact", wav.FactChunk->ChunkSize = 4, wav.FactChunk->SamplesNumber = 2;
  wav.FactChunk->MoreData = "  ";  // spaces only: left out, size as held
  wav.SlntChunk->ChunkId = "slnt", wav.SlntChunk->ChunkSize = 4, wav.SlntChunk->SilentSamplesNumber = 7;
  wav.CueChunk->ChunkId = "cue ", wav.CueChunk->ChunkSize = 52, wav.CueChunk->CuePointsNumber = 2;
  for (int i = 1; i <= 3; ++i) wav.CueChunk->WavCuePoints->Add(i, 0, "data", 0, 0, i * 10);
  wav.PlstChunk->ChunkId = "plst", wav.PlstChunk->ChunkSize = 16, wav.PlstChunk->SegmentsNumber = 1;
  wav.PlstChunk->WavPlstSegs->Add(1, 100, 2);
  wav.ListChunk->ChunkId = "LIST", wav.ListChunk->ChunkSize = 0, wav.ListChunk->TypeID = "adtl";
  wav.ListChunk->WavLtxts->Add("ltxt", 20, 3, 50, "rgn ", 1, 2, 3, 4, "");
  wav.ListChunk->WavNotes->Add("note", 6, 2, std::string("N\0", 2));
  wav.ListChunk->WavLabls->Add("labl", 6, 1, std::string("L\0", 2));
  wav.SmplChunk->ChunkId = "smpl", wav.SmplChunk->ChunkSize = 60, wav.SmplChunk->SampleLoopsNumber = 0;
  wav.SmplChunk->MIDIUnityNote = 60;
  wav.SmplChunk->WavSmplLoops->Add(0, 0, 1, 2, 0, 0);
  wav.InstChunk->ChunkId = "inst", wav.InstChunk->ChunkSize = 7;
  wav.InstChunk->FineTune = -1, wav.InstChunk->Gain = 300, wav.InstChunk->HighNote = 127;
  wav.PAD_Chunk->ChunkId = "PAD ", wav.PAD_Chunk->ChunkSize = 2, wav.PAD_Chunk->ChunkData = std::string(2, '\0');
  wav.WavlChunk->ChunkId = "wavl";  // never written

  const std::string expected =
      ChunkSized("fact", 4, U32(2)) + Chunk("slnt", U32(7)) +
      ChunkSized("cue ", 52, U32(2) + U32(1) + U32(0) + "data" + U32(0) + U32(0) + U32(10) + U32(2) + U32(0) + "data" +
                                 U32(0) + U32(0) + U32(20)) +
      Chunk("plst", U32(1) + U32(1) + U32(100) + U32(2)) +
      ChunkSized("LIST", 0, "adtl" + ("labl" + U32(6) + U32(1) + std::string("L\0", 2)) +
                                ("note" + U32(6) + U32(2) + std::string("N\0", 2)) +
                                ("ltxt" + U32(20) + U32(3) + U32(50) + "rgn " + U16(1) + U16(2) + U16(3) + U16(4))) +
      ChunkSized("smpl", 60, U32(0) + U32(0) + U32(0) + U32(60) + U32(0) + U32(0) + U32(0) + U32(0) + U32(0) + U32(0) +
                                 U32(0) + U32(1) + U32(2) + U32(0) + U32(0)) +
      Chunk("inst", std::string("\x00\x00\x2C\x00\x7F\x00\x00", 7)) + '\0' + Chunk("PAD ", std::string(2, '\0'));
  const std::string file = Written();
  EXPECT_EQ(Middle(file, 4), expected);
  // The RIFF size counts every chunk by its size as held: 4 + (16+8) + fact 12
  // + slnt 12 + cue 60 + plst 24 + LIST 8 + smpl 68 + inst 15 and its pad byte
  // + PAD 10 + data 12.
  EXPECT_EQ(wav.FileHeader->ChunkSize, 4 + 24 + 12 + 12 + 60 + 24 + 8 + 68 + 16 + 10 + 12);
  EXPECT_EQ(file.substr(4, 4), U32(static_cast<uint32_t>(wav.FileHeader->ChunkSize)));
}

TEST_F(Writer, FormatChunkOfSize18AndFactMoreData) {
  MakePcm(2);
  wav.Fmt_Chunk->ChunkSize = 18;
  wav.Fmt_Chunk->ExtraFormatBytes = 0;
  wav.FactChunk->ChunkId = "fact", wav.FactChunk->ChunkSize = 6, wav.FactChunk->MoreData = " x";
  const std::string file = Written();
  EXPECT_EQ(file.substr(12, 26), "fmt " + U32(18) + FmtBody(1, 44100, 16) + U16(0));
  EXPECT_EQ(file.substr(38, 14), "fact" + U32(6) + U32(0) + " x");
}

TEST_F(Writer, NegativeNumbersAreWrittenAsZeroBytes) {
  MakePcm(2);
  wav.Fmt_Chunk->SampleRate = -44100;
  const std::string file = Written();
  EXPECT_EQ(file.substr(24, 4), U32(0));
}

TEST_F(Writer, OverwriteQuestion) {
  MakePcm(2);
  const std::string path = dir.Put("exists.wav", "precious");
  // No question to ask: the answer is No.
  EXPECT_EQ(wav.PutWavFile(path), 1);
  EXPECT_EQ(ReadAll(path), "precious");
  EXPECT_EQ(wav.FileHeader->ChunkSize, 0);  // the model is unchanged

  int asked = 0;
  bool answer = false;
  std::string title, text;
  wav.SetOverwriteQuestion([&](const std::string& t, const std::string& q) {
    ++asked, title = t, text = q;
    return answer;
  });
  EXPECT_EQ(wav.PutWavFile(path, false), 1);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(title, "Saving WAV file");
  EXPECT_EQ(text, path + " already exists. Do you want to replace it?");
  EXPECT_EQ(ReadAll(path), "precious");
  answer = true;
  EXPECT_EQ(wav.PutWavFile(path), 0);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(ReadAll(path).size(), 46u);
  EXPECT_EQ(wav.PutWavFile(path, true), 0);  // overwrite: no question
  EXPECT_EQ(wav.PutWavFile(dir.File("new.wav")), 0);  // no such file: no question
  EXPECT_EQ(asked, 2);
}

TEST_F(Writer, CountsBeyondTheCollectionsFailBeforeTheDiskIsTouched) {
  MakePcm(2);
  const std::string path = dir.Put("keep.wav", "precious");
  wav.CueChunk->ChunkId = "cue ";
  wav.CueChunk->CuePointsNumber = 2;
  wav.CueChunk->WavCuePoints->Add(1, 0, "data", 0, 0, 0);
  EXPECT_THROW(wav.PutWavFile(path, true), NoSuchItemError);
  EXPECT_EQ(ReadAll(path), "precious");
  EXPECT_EQ(dir.EntryCount(), 1u);
  wav.CueChunk->ChunkId = "";
  wav.PlstChunk->ChunkId = "plst";
  wav.PlstChunk->SegmentsNumber = 1;
  EXPECT_THROW(wav.PutWavFile(path, true), NoSuchItemError);
  EXPECT_EQ(ReadAll(path), "precious");
  EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST_F(Writer, RiffSizeOverflowCreatesNothing) {
  MakePcm(2);
  wav.DataChunk->ChunkSize = 2147483647 - 30;
  const std::string path = dir.File("big.wav");
  EXPECT_THROW(wav.PutWavFile(path, true), OverflowError);
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(dir.EntryCount(), 0u);
}

TEST_F(Writer, FailedCreationKeepsTheComputedRiffSize) {
  MakePcm(2);
  EXPECT_THROW(wav.PutWavFile(dir.File("no/such/folder/out.wav"), true), FileAccessError);
  EXPECT_EQ(wav.FileHeader->ChunkSize, 46 - 8);
  // A folder in the target's place is not replaced, and nothing is left behind.
  fs::create_directory(dir.path() / "taken.wav");
  EXPECT_THROW(wav.PutWavFile(dir.File("taken.wav"), true), FileAccessError);
  EXPECT_TRUE(fs::is_directory(dir.path() / "taken.wav"));
  EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST_F(Writer, ANewFileInAReadOnlyFolderFailsCleanly) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write into read-only folders (Qwav.ReplacingHonoursPermissions runs this as nobody)";
  MakePcm(2);
  fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_THROW(wav.PutWavFile(dir.File("new.wav"), true), FileAccessError);
  fs::permissions(dir.path(), fs::perms::owner_all);
  EXPECT_EQ(dir.EntryCount(), 0u);
}

TEST_F(Writer, ReplacingKeepsThePermissionsOfTheFileReplaced) {
  MakePcm(2);
  const std::string path = dir.Put("mode.wav", "old");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_EQ(wav.PutWavFile(path, true), 0);
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(Writer, AnEmptyReferenceFailsBeforeTheDiskIsTouched) {
  MakePcm(2);
  wav.SmplChunk->ChunkId = "smpl";
  wav.SmplChunk->WavSmplLoops = nullptr;
  EXPECT_THROW(wav.PutWavFile(dir.File("x.wav"), true), EmptyReferenceError);
  wav.SmplChunk = nullptr;
  EXPECT_THROW(wav.PutWavFile(dir.File("x.wav"), true), EmptyReferenceError);
  EXPECT_EQ(dir.EntryCount(), 0u);
}

TEST_F(Writer, OddChunksGetAPadByteAndReadBackChunkForChunk) {
  MakePcm(3);  // an odd data chunk
  wav.InstChunk->ChunkId = "inst", wav.InstChunk->ChunkSize = 7, wav.InstChunk->UnshiftedNote = 0;
  wav.SmplChunk->ChunkId = "smpl", wav.SmplChunk->ChunkSize = 36, wav.SmplChunk->MIDIUnityNote = 0;
  wav.PAD_Chunk->ChunkId = "PAD ", wav.PAD_Chunk->ChunkSize = 1, wav.PAD_Chunk->ChunkData = std::string(1, '\0');
  const std::string path = dir.File("odd.wav");
  ASSERT_EQ(wav.PutWavFile(path, true), 0);
  Wav back;
  ASSERT_EQ(back.GetWavFile(path), 0);
  EXPECT_EQ(back.InstChunk->ChunkId, "inst");
  EXPECT_EQ(back.PAD_Chunk->ChunkData, std::string(1, '\0'));
  EXPECT_EQ(back.DataChunk->ChunkData, wav.DataChunk->ChunkData);
  const std::string file = ReadAll(path);
  EXPECT_EQ(file.size(), 12u + 24 + 44 + 16 + 10 + 12);
  EXPECT_EQ(file.substr(4, 4), U32(static_cast<uint32_t>(file.size() - 8)));
  EXPECT_EQ(file.substr(80, 16), "inst" + U32(7) + std::string(8, '\0'));  // 7 bytes, then the pad byte
}

TEST_F(Writer, BytesPassedOverOnReadingAreWrittenBack) {
  // A list's sub-chunks of other kinds and sampler-specific data have no
  // fields; they are kept as the chunks' trailing bytes, and a model built
  // without them is filled with zero bytes up to its size.
  const std::string info = "adtl" + Chunk("file", U32(1) + std::string("sox\0", 4));
  const std::string smpl = U32(0) + U32(0) + U32(22675) + U32(60) + U32(0) + U32(0) + U32(0) + U32(0) + U32(4) + "\x01\x02\x03\x04";
  const std::string samples = Bytes(8, 4);
  ASSERT_EQ(wav.GetWavFile(dir.Put("in.wav", Riff(Chunk("fmt ", FmtBody(1, 44100, 16)) + Chunk("LIST", info) +
                                                  Chunk("smpl", smpl) + Chunk("data", samples)))),
            0);
  const std::string file = Written();
  EXPECT_EQ(Middle(file, 8), Chunk("LIST", info) + Chunk("smpl", smpl));
  wav.ListChunk->TrailingBytes.clear();
  wav.SmplChunk->TrailingBytes.clear();
  EXPECT_EQ(Middle(Written(), 8), Chunk("LIST", "adtl" + std::string(16, '\0')) + Chunk("smpl", smpl.substr(0, 36) + std::string(4, '\0')));
}

// A list shorter than its type field, at the end of the file: its copy gets
// the pad byte, which a copy of the copy must not take for part of the type.
TEST_F(Writer, AListShorterThanItsTypeCopiesTheSameEveryTime) {
  const std::string list = "LIST" + U32(1) + "|";
  ASSERT_EQ(wav.GetWavFile(dir.Put("in.wav", Riff(Chunk("fmt ", FmtBody(1, 44100, 8))) + list)), 0);
  const std::string copy = Written();
  EXPECT_EQ(copy.substr(copy.size() - 10), list + std::string(1, '\0'));
  Wav again;
  ASSERT_EQ(again.GetWavFile(dir.Put("copy.wav", copy)), 0);
  ASSERT_EQ(again.UnknownChunks->Count(), 1);  // no "adtl" list: kept whole
  EXPECT_EQ(again.UnknownChunks->Item(1)->ChunkData, "|");
  ASSERT_EQ(again.PutWavFile(dir.File("copy2.wav"), true), 0);
  EXPECT_EQ(ReadAll(dir.File("copy2.wav")), copy);
}

TEST_F(Writer, ThroughASymbolicLinkTheFileItPointsToIsReplaced) {
  MakePcm(2);
  const std::string real = dir.Put("real.wav", "old");
  const std::string link = dir.File("link.wav");
  fs::create_symlink(real, link);
  ASSERT_EQ(wav.PutWavFile(link, true), 0);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadAll(real).size(), 46u);
}

TEST_F(Writer, AWriteErrorLeavesTheReplacedFileWholeAndNoTemporaryFile) {
  // A file-size limit makes the disk refuse the bytes part-way, as a full disk would.
  MakePcm(200000);
  const std::string path = dir.Put("precious.wav", "precious");
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit previous{};
  getrlimit(RLIMIT_FSIZE, &previous);
  rlimit limited = previous;
  limited.rlim_cur = 50000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  EXPECT_THROW(wav.PutWavFile(path, true), FileAccessError);
  setrlimit(RLIMIT_FSIZE, &previous);
  EXPECT_EQ(ReadAll(path), "precious");
  EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST_F(Writer, ABrokenSizeIsWrittenAsHeldNotFilled) {
  // A "smpl" chunk cut off by the end of its file declares far more than it
  // holds: its copy keeps the size and does not grow by megabytes of zeros.
  MakePcm(2);
  wav.SmplChunk->ChunkId = "smpl";
  wav.SmplChunk->ChunkSize = 100 * 1024 * 1024;
  const std::string file = Written();
  EXPECT_EQ(file.size(), 46u + 44);
  EXPECT_EQ(file.substr(40, 4), U32(100 * 1024 * 1024));
}

TEST_F(Writer, AFileInTheWritersLayoutComesBackByteForByteWithAllItKept) {
  // Unknown chunks before and after modelled ones (odd ones with pad bytes), a
  // "fact" of spaces, an interleaved cue list, a second list (INFO) and
  // sampler-specific data: nothing is lost, nothing moves.
  const std::string adtl = "adtl" + ("labl" + U32(6) + U32(1) + std::string("A\0", 2)) +
                           ("note" + U32(5) + U32(1) + std::string("n\0", 2)) + ("labl" + U32(6) + U32(2) + std::string("B\0", 2));
  const std::string info = "INFO" + Chunk("ISFT", std::string("Lavf\0", 5)) + '\0';
  const std::string smpl = U32(0) + U32(0) + U32(22675) + U32(60) + U32(0) + U32(0) + U32(0) + U32(0) + U32(3) + "xyz";
  const std::string file = Riff(Chunk("JUNK", std::string(3, 'j')) + '\0' + Chunk("fmt ", FmtBody(1, 44100, 16)) +
                                Chunk("bext", "12345") + '\0' + Chunk("fact", U32(4) + "    ") +
                                Chunk("LIST", adtl) + Chunk("LIST", info) + Chunk("smpl", smpl) + '\0' +
                                Chunk("data", Bytes(8, 1)) + Chunk("id3 ", "tag!"));
  ASSERT_EQ(wav.GetWavFile(dir.Put("in.wav", file)), 0);
  EXPECT_EQ(Written(), file);

  // The unknown chunks in file order, each with where it stood and what it holds.
  std::vector<std::string> kept;
  for (const auto& chunk : *wav.UnknownChunks) kept.push_back(chunk->ChunkId + "@" + chunk->WrittenAfter);
  EXPECT_EQ(kept, (std::vector<std::string>{"JUNK@RIFF", "bext@fmt ", "LIST@LIST", "id3 @data"}));
  EXPECT_EQ(wav.UnknownChunks->Item(2)->ChunkData, "12345");
  EXPECT_EQ(wav.UnknownChunks->Item(2)->FilePosition, 48);
  // Removed, a chunk is gone from the copy; added, it goes at the end.
  wav.UnknownChunks->Remove(2);
  wav.UnknownChunks->Add("ntr ", 2, "ok");
  const std::string changed = Written();
  const auto chunks = TopLevelChunks(changed);
  EXPECT_EQ(chunks.size(), 9u);
  EXPECT_EQ(chunks[2].first, "fact");
  EXPECT_EQ(chunks.back(), std::make_pair(std::string("ntr "), std::string("ok")));
  EXPECT_EQ(U32At(changed, 4), changed.size() - 8);
}

TEST_F(Writer, ARepeatedChunkStaysAfterTheFirstOfItsId) {
  // The second "data" followed "PAD ", which is written before "data": it must
  // still come after the first, or reading the copy would swap the two.
  ASSERT_EQ(wav.GetWavFile(dir.Put("in.wav", Riff(Chunk("fmt ", FmtBody(1, 8000, 8)) + Chunk("data", "AA") +
                                                  Chunk("PAD ", "") + Chunk("data", "BB")))),
            0);
  EXPECT_EQ(Written(), Riff(Chunk("fmt ", FmtBody(1, 8000, 8)) + Chunk("PAD ", "") + Chunk("data", "AA") + Chunk("data", "BB")));
}
