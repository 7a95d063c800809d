// SPDX-License-Identifier: MIT
// qwav through its real binary: the JSON of info, the exit codes, copy and
// set-unity-note.

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include "mini_json.h"
#include "process.h"
#include "quendal/quendal_wav.h"
#include "test_support.h"

using namespace quendal;
using namespace wavtest;

namespace {

const std::string kQwav = QWAV_PATH;

Json Info(const std::string& file, int expectedExit) {
  const ProcessResult run = RunProgram(kQwav, {"info", file});
  EXPECT_EQ(run.exitCode, expectedExit) << run.output;
  return JsonParser::Parse(run.output);
}

// The build tree may lie where other users cannot enter (a clone under
// /root): qwav and its library are copied once to a folder anyone can read.
const fs::path& ReachableQwavFolder() {
  static const TempDir folder;
  static const bool copied = [] {
    fs::copy_file(kQwav, folder.path() / "qwav");
    fs::copy_file(QUENDALWAV_LIBRARY, folder.path() / QUENDALWAV_SONAME);
    for (const auto& file : {folder.path(), folder.path() / "qwav", folder.path() / QUENDALWAV_SONAME}) {
      fs::permissions(file, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
    }
    return true;
  }();
  (void)copied;
  return folder.path();
}

// Runs qwav as a user without special rights: as root, as "nobody" (root may
// write any file, which would hide what a user meets); otherwise as is.
ProcessResult RunQwavUnprivileged(const std::vector<std::string>& args) {
  if (geteuid() != 0) return RunProgram(kQwav, args, true);
  const fs::path& reachable = ReachableQwavFolder();
  std::vector<std::string> asNobody = {"--reuid=nobody", "--regid=nogroup", "--clear-groups", "env",
                                       "LD_LIBRARY_PATH=" + reachable.string(), (reachable / "qwav").string()};
  asNobody.insert(asNobody.end(), args.begin(), args.end());
  return RunProgram("setpriv", asNobody, true);
}

// Gives a path to the user RunQwavUnprivileged runs as.
void GiveToUnprivileged(const fs::path& path) {
  if (geteuid() != 0) return;
  const passwd* nobody = getpwnam("nobody");
  ASSERT_NE(nobody, nullptr);
  ASSERT_EQ(chown(path.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
}

}  // namespace

TEST(Qwav, ReplacingHonoursPermissions) {
  if (geteuid() == 0 && RunProgram("setpriv", {"--version"}).exitCode != 0) {
    GTEST_SKIP() << "running as root without setpriv: the permission cases need an unprivileged user";
  }
  TempDir dir;
  const std::string source = Riff(Chunk("fmt ", FmtBody(1, 8000, 8)) + Chunk("data", Bytes(10)));
  const std::string in = dir.Put("in.wav", source);
  const fs::path mine = dir.path() / "mine";  // a folder the user may write into
  fs::create_directory(mine);
  GiveToUnprivileged(mine);

  // A file the user may not write is refused, not replaced by a rename.
  const std::string locked = (mine / "locked.wav").string();
  WriteAll(locked, "precious");
  if (geteuid() != 0) fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read);
  const ProcessResult refused = RunQwavUnprivileged({"copy", in, locked});
  EXPECT_EQ(refused.exitCode, 3);
  EXPECT_NE(refused.output.find("(file)"), std::string::npos) << refused.output;
  EXPECT_EQ(ReadAll(locked), "precious");

  // A file of the user's keeps its permission bits.
  const std::string mode = (mine / "mode.wav").string();
  WriteAll(mode, "old");
  GiveToUnprivileged(mode);
  fs::permissions(mode, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(RunQwavUnprivileged({"copy", in, mode}).exitCode, 0);
  EXPECT_EQ(ReadAll(mode), source);
  EXPECT_EQ(fs::status(mode).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  // A writable file in a folder the user may not write into: written in place.
  const std::string open = dir.File("open.wav");
  WriteAll(open, "old");
  GiveToUnprivileged(open);
  if (geteuid() != 0) fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
  const ProcessResult direct = RunQwavUnprivileged({"copy", in, open});
  fs::permissions(dir.path(), fs::perms::owner_all);
  EXPECT_EQ(direct.exitCode, 0) << direct.output;
  EXPECT_EQ(ReadAll(open), source);
  EXPECT_EQ(dir.EntryCount(), 3u);  // in.wav, mine, open.wav: no temporary file
}

TEST(Qwav, InfoOfThe44ByteExample) {
  TempDir dir;
  const Json info = Info(dir.Put("example.wav", Example44() + Bytes(2048)), 0);
  EXPECT_EQ(info["result"].number, 0);
  EXPECT_EQ(info["FileHeader"]["ChunkId"].text, "RIFF");
  EXPECT_EQ(info["FileHeader"]["ChunkSize"].number, 2084);
  EXPECT_EQ(info["FileHeader"]["ChunkData"].text, "WAVE");
  const Json& fmt = info["Fmt_Chunk"];
  EXPECT_EQ(fmt["ChunkId"].text, "fmt ");
  EXPECT_EQ(fmt["ChunkSize"].number, 16);
  EXPECT_EQ(fmt["CompressionCode"].number, 1);
  EXPECT_EQ(fmt["CompressionDesc"].text, "PCM / uncompressed");
  EXPECT_EQ(fmt["ChannelsNumber"].number, 1);
  EXPECT_EQ(fmt["SampleRate"].number, 44100);
  EXPECT_EQ(fmt["BytesPerSecond"].number, 88200);
  EXPECT_EQ(fmt["BytesPerSample"].number, 2);
  EXPECT_EQ(fmt["BitsPerSample"].number, 16);
  EXPECT_EQ(info["DataChunk"]["ChunkId"].text, "data");
  EXPECT_EQ(info["DataChunk"]["ChunkSize"].number, 2048);
  EXPECT_EQ(info["DataChunk"]["ChunkData"]["bytes"].number, 2048);
  // Every property of the model is there, absent chunks included.
  for (const char* member : {"FactChunk", "WavlChunk", "SlntChunk", "CueChunk", "PlstChunk", "ListChunk", "SmplChunk",
                             "InstChunk", "PAD_Chunk"}) {
    EXPECT_TRUE(info.Has(member)) << member;
  }
  EXPECT_EQ(info["SmplChunk"]["ChunkId"].text, "");
  EXPECT_EQ(info["SmplChunk"]["WavSmplLoops"].type, Json::Type::Array);
  EXPECT_EQ(info["ListChunk"]["WavLabls"].items.size(), 0u);
}

TEST(Qwav, InfoKeepsEveryByteOfTextsAndListsCollections) {
  TempDir dir;
  const std::string text = std::string("\xE9t\xE9\0", 4);  // "été" in Latin-1 and its zero
  const std::string list = "adtl" + ("labl" + U32(8) + U32(1) + text) + ("labl" + U32(6) + U32(2) + std::string("\"\\", 2));
  const Json info = Info(dir.Put("labels.wav", Riff(Chunk("LIST", list))), 0);
  const Json& labels = info["ListChunk"]["WavLabls"];
  ASSERT_EQ(labels.items.size(), 2u);
  EXPECT_EQ(labels[0]["LabelText"].text, text);
  EXPECT_EQ(labels[0]["CuePointID"].number, 1);
  EXPECT_EQ(labels[1]["LabelText"].text, "\"\\");
}

TEST(Qwav, InfoOfAFailedReadShowsTheModelSoFarAndTheError) {
  TempDir dir;
  const Json truncated = Info(dir.Put("t.wav", Riff(Chunk("fmt ", FmtBody(1, 8000, 8))) + "cue " + U32(28) + U32(1)), 3);
  EXPECT_FALSE(truncated.Has("result"));
  EXPECT_EQ(truncated["Fmt_Chunk"]["SampleRate"].number, 8000);
  EXPECT_EQ(truncated["CueChunk"]["CuePointsNumber"].number, 1);
  EXPECT_EQ(truncated["error"]["kind"].text, "end_of_file");
  EXPECT_FALSE(truncated["error"]["message"].text.empty());

  const Json overflow = Info(dir.Put("o.wav", "RIFF" + U32(0xFFFFFFFF) + "WAVE"), 3);
  EXPECT_EQ(overflow["error"]["kind"].text, "overflow");
  EXPECT_EQ(Info(dir.File("missing.wav"), 3)["error"]["kind"].text, "file");
}

TEST(Qwav, InfoExitsWithTheResultCode) {
  TempDir dir;
  EXPECT_EQ(Info(dir.Put("rifx.wav", "RIFX" + U32(4) + "WAVE"), 1)["result"].number, 1);
  EXPECT_EQ(Info(dir.Put("avi.wav", "RIFF" + U32(4) + "AVI "), 2)["FileHeader"]["ChunkData"].text, "AVI ");
}

TEST(Qwav, WrongArgumentsExit2AndHelpExits0) {
  EXPECT_EQ(RunProgram(kQwav, {}).exitCode, 2);
  EXPECT_EQ(RunProgram(kQwav, {"frobnicate"}).exitCode, 2);
  EXPECT_EQ(RunProgram(kQwav, {"info"}).exitCode, 2);
  EXPECT_EQ(RunProgram(kQwav, {"copy", "a"}).exitCode, 2);
  EXPECT_EQ(RunProgram(kQwav, {"set-unity-note", "a", "128"}).exitCode, 2);
  EXPECT_EQ(RunProgram(kQwav, {"set-unity-note", "a", "6x"}).exitCode, 2);
  const ProcessResult help = RunProgram(kQwav, {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.output.find("set-unity-note"), std::string::npos);
}

TEST(Qwav, CopyWritesTheLibrarysLayoutAndFailsClearly) {
  TempDir dir;
  const std::string samples = Bytes(16);
  const std::string in = dir.Put("in.wav", Riff(Chunk("fmt ", FmtBody(1, 8000, 8)) + Chunk("data", samples) +
                                                 Chunk("wavl", "xx") + Chunk("bext", "abc") + '\0'));
  EXPECT_EQ(RunProgram(kQwav, {"copy", in, dir.File("out.wav")}).exitCode, 0);
  EXPECT_EQ(ReadAll(dir.File("out.wav")),
            Riff(Chunk("fmt ", FmtBody(1, 8000, 8)) + Chunk("data", samples) + Chunk("bext", "abc") + '\0'));
  // info lists the chunk it does not model, after the modelled ones.
  const Json info = Info(in, 0);
  const Json& unknown = info["UnknownChunks"];
  ASSERT_EQ(unknown.items.size(), 1u);
  EXPECT_EQ(unknown.items[0]["ChunkId"].text, "bext");
  EXPECT_EQ(unknown.items[0]["ChunkSize"].number, 3);
  EXPECT_EQ(unknown.items[0]["FilePosition"].number, 12 + 24 + 24 + 10);
  const ProcessResult missing = RunProgram(kQwav, {"copy", dir.File("none.wav"), dir.File("x.wav")}, true);
  EXPECT_EQ(missing.exitCode, 3);
  EXPECT_NE(missing.output.find("none.wav"), std::string::npos);
  EXPECT_EQ(RunProgram(kQwav, {"copy", dir.Put("rifx.wav", "RIFX" + U32(4) + "WAVE"), dir.File("y.wav")}).exitCode, 3);
  EXPECT_FALSE(fs::exists(dir.File("y.wav")));
}

TEST(Qwav, SetUnityNoteInPlaceAndToAnotherFile) {
  TempDir dir;
  const std::string recording = Riff(Chunk("fmt ", FmtBody(1, 22050, 16)) + Chunk("data", Bytes(100)));
  const std::string file = dir.Put("take.wav", recording);
  ASSERT_EQ(RunProgram(kQwav, {"set-unity-note", file, "60", dir.File("out.wav")}).exitCode, 0);
  EXPECT_EQ(ReadAll(file), recording);  // the source is untouched
  Wav out;
  ASSERT_EQ(out.GetWavFile(dir.File("out.wav")), 0);
  EXPECT_EQ(out.SmplChunk->MIDIUnityNote, 60);
  EXPECT_EQ(out.SmplChunk->SamplePeriod, 45351);

  ASSERT_EQ(RunProgram(kQwav, {"set-unity-note", file, "61"}).exitCode, 0);
  Wav replaced;
  ASSERT_EQ(replaced.GetWavFile(file), 0);
  EXPECT_EQ(replaced.SmplChunk->MIDIUnityNote, 61);
  EXPECT_EQ(dir.EntryCount(), 2u);  // no temporary file left behind

  const std::string silent = dir.Put("norate.wav", Riff(Chunk("fmt ", FmtBody(1, 0, 16)) + Chunk("data", "")));
  const ProcessResult noRate = RunProgram(kQwav, {"set-unity-note", silent, "60"}, true);
  EXPECT_EQ(noRate.exitCode, 3);
  EXPECT_NE(noRate.output.find("sample rate"), std::string::npos);
}
