// SPDX-License-Identifier: GPL-3.0-or-later
// File names, the instrument path and the run's folders.

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/run/prepare_folders.h"
#include "engine/takes/sample_paths.h"
#include "test_support.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace ntr {
namespace {

using testing::Native;

TEST(SamplePaths, NameFilesByInstrumentProgramAndNote) {
  const std::string instrument = InstrumentPath(Native("/data/SAMPLES"), "My Piano");
  EXPECT_EQ(instrument, Native("/data/SAMPLES/My_Piano"));
  EXPECT_EQ(TargetFile(instrument, ProgramTag(5), "C#4"), Native("/data/SAMPLES/My_Piano/PATCH_005/PATCH005_C#4.WAV"));
  EXPECT_EQ(TargetFile(instrument, kSinglePassTag, "C#4"), Native("/data/SAMPLES/My_Piano/PATCH_XXX/PATCHXXX_C#4.WAV"));
  EXPECT_EQ(ProgramFolder(instrument, ProgramTag(127)), Native("/data/SAMPLES/My_Piano/PATCH_127"));
  EXPECT_EQ(ProgramTag(0), "000");
}

TEST(SamplePaths, ApplyTheSeparatorAndBlankRules) {
  // A trailing separator collapses: the same paths as without it.
  EXPECT_EQ(InstrumentPath(Native("/data/SAMPLES/"), "My Piano"), Native("/data/SAMPLES/My_Piano"));
  // An empty instrument name puts the program folders in the save folder, never
  // behind a doubled separator, whether or not the folder ends with one.
  for (const char* saveFolder : {"/data/SAMPLES", "/data/SAMPLES/"}) {
    const std::string bare = InstrumentPath(Native(saveFolder), "");
    EXPECT_EQ(TargetFile(bare, ProgramTag(5), "C#4"), Native("/data/SAMPLES/PATCH_005/PATCH005_C#4.WAV"));
    EXPECT_EQ(ProgramFolder(bare, kSinglePassTag), Native("/data/SAMPLES/PATCH_XXX"));
  }
  EXPECT_EQ(JoinPath(Native("/data/"), Native("/x")), Native("/data/x"));
  EXPECT_EQ(JoinPath(Native("/data"), ""), Native("/data"));
  // The save folder is used as typed: its blanks stay; the instrument's become "_".
  EXPECT_EQ(InstrumentPath(Native("/data/My Samples"), " Grand  Piano "), Native("/data/My Samples/_Grand__Piano_"));
  // One pass over non-overlapping pairs: three separators leave two.
  EXPECT_EQ(InstrumentPath(Native("/data///x"), "y"), Native("/data//x/y"));
}

TEST(SamplePaths, TemporaryTakesLieBesideTheTargetUnderUniqueNames) {
  testing::TempDir dir;
  const std::string target = (dir.Path() / "PATCH001_C4.WAV").string();
  const std::string first = TemporaryRecordingPath(target);
  const std::string second = TemporaryRecordingPath(target);
  EXPECT_NE(first, second);
  EXPECT_NE(first, target);
  EXPECT_EQ(std::filesystem::path(first).parent_path(), dir.Path());
  EXPECT_FALSE(std::filesystem::exists(first));
#ifndef _WIN32
  // Another running copy has another process id (and another random token).
  EXPECT_NE(std::filesystem::path(first).filename().string().find("-" + std::to_string(getpid()) + "-"),
            std::string::npos);
#endif
}

TEST(PrepareFolders, CreatesEveryMissingLevelAndEachProgramFolder) {
  testing::TempDir dir;
  const std::string save = (dir.Path() / "not" / "yet" / "there").string();
  const std::string instrument = InstrumentPath(save, "My Piano");
  testing::WriteBytes(dir.Path() / "keep.txt", "old");
  PrepareFolders(save, instrument, {"001", "002", "001"});
  EXPECT_TRUE(std::filesystem::is_directory(ProgramFolder(instrument, "001")));
  EXPECT_TRUE(std::filesystem::is_directory(ProgramFolder(instrument, "002")));
  EXPECT_EQ(testing::FilesBelow(dir.Path()), std::vector<std::string>{"keep.txt"});  // no probe left behind

  // Existing folders are fine and stay as they are.
  PrepareFolders(save, instrument, {"001"});
  EXPECT_EQ(testing::ReadBytes(dir.Path() / "keep.txt"), "old");
}

TEST(PrepareFolders, AFolderThatCannotBeMadeIsAClearError) {
  testing::TempDir dir;
  testing::WriteBytes(dir.Path() / "blocker", "a file, not a folder");
  const std::string save = (dir.Path() / "blocker" / "SAMPLES").string();
  try {
    PrepareFolders(save, InstrumentPath(save, "Piano"), {"XXX"});
    FAIL() << "expected a FolderError";
  } catch (const FolderError& error) {
    EXPECT_NE(std::string(error.what()).find(save), std::string::npos) << error.what();
  }

  const std::string clash = (dir.Path() / "blocker").string();  // the instrument folder is a file
  EXPECT_THROW(PrepareFolders(dir.Path().string(), clash, {"XXX"}), FolderError);
  EXPECT_THROW(PrepareFolders("", InstrumentPath("", "Piano"), {"XXX"}), FolderError);
}

}  // namespace
}  // namespace ntr
