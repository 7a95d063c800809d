// SPDX-License-Identifier: MIT
// Writing a file whole or not at all, beside its target.
#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "quendal/atomic_file.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using wavtest::ReadAll;
using wavtest::TempDir;

TEST(AtomicFile, AFailingWriteLeavesTheOldFileAndNoTemporaryOneAndASuccessfulOneReplacesIt) {
  TempDir dir;
  const fs::path target = dir.Put("take.wav", "precious");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  fs::path used;
  EXPECT_THROW(quendal::WriteFileAtomically(target,
                                            [&used](const fs::path& temporary) {
                                              used = temporary;
                                              std::ofstream(temporary) << "half";
                                              throw std::runtime_error("the disk is full");
                                            }),
               std::runtime_error);
  EXPECT_EQ(ReadAll(target), "precious");
  EXPECT_EQ(dir.EntryCount(), 1u);
  // The temporary file was beside the target, under a name a clean-up knows, with this process in it.
  EXPECT_EQ(used.parent_path(), target.parent_path());
  long process = 0;
  EXPECT_TRUE(quendal::IsTemporaryFileName(used.filename().string(), &process));
  EXPECT_GT(process, 0);
  EXPECT_FALSE(quendal::IsTemporaryFileName("take.wav.tmp"));

  quendal::WriteFileAtomically(target, std::string_view("new"));
  EXPECT_EQ(ReadAll(target), "new");
  EXPECT_EQ(dir.EntryCount(), 1u);
  EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

}  // namespace
