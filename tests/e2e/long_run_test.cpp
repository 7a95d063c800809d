// Long unattended runs through the real program (`NTR --batch` on the
// built-in instrument): a run killed at any moment and started again with
// --resume ends as if it had never been interrupted, and a run that cannot
// fit its disk is refused before it plays.
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <csignal>
#include <fstream>
#include <map>
#include <random>
#include <thread>

#include "support/child_process.h"
#include "support/take_checks.h"
#include "support/temp_folder.h"

namespace ntr::e2e {
namespace {

const std::string kProgram = NTR_PROGRAM;

// C, E and A in octaves 4 and 5, embedded, as the window saves them.
std::string Settings(const std::string& folder, const std::string& programs, const std::string& duration,
                     const std::string& rate, const std::string& bits, const std::string& channels) {
  return "[Parameters]\nNotes=010000000100000000010000\nOctaves=0000000001010000000000\nChannel=1\nPrograms=" +
         programs + "\nVelocity=100\nDuration=" + duration + "\nDecay=100\nRate=" + rate + "\nBits=" + bits +
         "\nChannels=" + channels + "\nEmbedded=-1\nGear=Piano\nFolder=" + folder + "\nMidiDev=0\n";
}

const std::map<std::string, int> kNotes{{"C4", 48}, {"E4", 52}, {"A4", 57}, {"C5", 60}, {"E5", 64}, {"A5", 69}};

// The files named in "saved: <file>" lines.
std::vector<std::string> SavedFiles(const std::string& out) {
  std::vector<std::string> files;
  const std::string mark = " saved: ";
  for (std::size_t at = out.find(mark); at != std::string::npos; at = out.find(mark, at + 1)) {
    const std::size_t start = at + mark.size();
    files.push_back(out.substr(start, out.find("  ", start) - start));
  }
  return files;
}

class LongRun : public testing::Test {
 protected:
  std::string Folder() const { return temp_.File("samples"); }
  std::string WriteSettings(const std::string& text) {
    const std::string path = temp_.File("settings.ini");
    std::ofstream(path) << text;
    return path;
  }
  test::TempFolder temp_;
};

TEST_F(LongRun, KilledRunsResumeToTheSameTakesWithoutMakingOneTwice) {
  for (const unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::filesystem::remove_all(Folder());
    const std::string settings = WriteSettings(Settings(Folder(), "0,1", "250", "11 kHz", "8", "Mono"));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> killAfterMs(300, 1800);
    std::map<std::string, int> madeCount;
    int status = -1;
    for (int attempt = 0; attempt < 12 && status != 0; ++attempt) {
      ChildProcess child(kProgram, {"--batch", "--settings", settings, "--resume"}, temp_.File(""));
      const bool killed = attempt < 3;  // then let it finish
      if (killed) {
        std::this_thread::sleep_for(std::chrono::milliseconds(killAfterMs(random)));
        child.Signal(SIGKILL);
      }
      status = child.Wait(60);
      for (const std::string& file : SavedFiles(child.Stdout())) ++madeCount[file];
      if (!killed) {
        ASSERT_EQ(status, 0) << child.Stdout() << child.Stderr();
      }
    }

    std::vector<std::string> names;
    for (const auto& [name, note] : kNotes) names.push_back(name);
    EXPECT_EQ(FilesUnder(Folder()), ExpectedTakes("Piano", {"000", "001"}, names)) << "no temporary take is left";
    for (const auto& [file, count] : madeCount) EXPECT_EQ(count, 1) << file << " was made twice";
    for (const std::string tag : {"000", "001"}) {
      for (const auto& [name, note] : kNotes) {
        const Take take = ReadTake(Folder() + "/Piano/PATCH_" + tag + "/PATCH" + tag + "_" + name + ".WAV");
        EXPECT_EQ(take.result, 0);
        EXPECT_EQ(take.sampleRate, 11025);
        EXPECT_EQ(take.unityNote, note) << tag << " " << name;
      }
    }
  }
}

// A small file system of its own (a tmpfs; mounting needs root).
class SmallDisk {
 public:
  explicit SmallDisk(const std::string& where) : where_(where) {
    std::filesystem::create_directories(where);
    mounted_ = mount("ntr-test", where.c_str(), "tmpfs", 0, "size=1m") == 0;
  }
  ~SmallDisk() {
    if (mounted_) umount(where_.c_str());
  }
  bool Mounted() const { return mounted_; }

 private:
  std::string where_;
  bool mounted_ = false;
};

TEST_F(LongRun, ARunThatCannotFitItsDiskIsRefusedBeforeItPlays) {
  SmallDisk disk(temp_.File("small"));
  if (!disk.Mounted()) GTEST_SKIP() << "a tmpfs cannot be mounted here (the test needs root)";
  // 6 takes of 2.1 s at 44.1 kHz, 16 bits, stereo (and room for one more): about 2.6 MB for a disk of 1 MB.
  const std::string folder = temp_.File("small") + "/samples";
  const std::string settings = WriteSettings(Settings(folder, "", "2000", "44 kHz", "16", "Stereo"));
  const Finished run = RunToEnd(kProgram, {"--batch", "--settings", settings}, temp_.File(""), 30);
  EXPECT_EQ(run.status, 4) << run.out << run.err;
  EXPECT_NE(run.err.find("not enough free space"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("it needs about 2.6 MB, and 1.0 MB is free"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("--force"), std::string::npos) << run.err;
  EXPECT_EQ(run.out.find(" saved: "), std::string::npos) << run.out;
  EXPECT_EQ(FilesUnder(folder), (std::set<std::string>{})) << "nothing was recorded";
}

}  // namespace
}  // namespace ntr::e2e
