// SPDX-License-Identifier: GPL-3.0-or-later
// Long unattended runs through the real program (`NTR --batch`, built-in
// instrument): runs killed at random moments and started again with --resume
// end as one uninterrupted run would, and a run that cannot fit its disk is
// refused before it plays.
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <algorithm>
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

const std::map<std::string, int> kNotes{{"A4", 57}, {"A5", 69}, {"C4", 48}, {"C5", 60}, {"E4", 52}, {"E5", 64}};

// C, E and A in octaves 4 and 5, the unity note embedded.
std::string WriteSettings(const test::TempFolder& temp, const std::string& folder, const std::string& programs,
                          const std::string& duration, const std::string& format) {
  const std::string path = temp.File("settings.ini");
  std::ofstream(path) << "[Parameters]\nNotes=010000000100000000010000\nOctaves=0000000001010000000000\nChannel=1\n"
                         "Velocity=100\nDecay=100\nEmbedded=-1\nGear=Piano\nMidiDev=0\nPrograms="
                      << programs << "\nDuration=" << duration << "\nFolder=" << folder << "\n" << format;
  return path;
}

TEST(LongRun, KilledRunsResumeToTheSameTakesWithoutMakingOneTwice) {
  test::TempFolder temp;
  const std::string folder = temp.File("samples");
  std::vector<std::string> names;
  for (const auto& [name, note] : kNotes) names.push_back(name);
  for (const unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::filesystem::remove_all(folder);
    const std::string settings = WriteSettings(temp, folder, "0,1", "250", "Rate=11 kHz\nBits=8\nChannels=Mono\n");
    std::mt19937 random(seed);
    std::map<std::string, int> saved;  // "saved: <file>" lines over all runs
    for (int run = 0; run < 4; ++run) {  // killed three times, then left to finish
      ChildProcess child(NTR_PROGRAM, {"--batch", "--settings", settings, "--resume"}, temp.File(""));
      if (run < 3) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution(300, 1800)(random)));
        child.Signal(SIGKILL);
      }
      const int status = child.Wait(60);
      const std::string out = child.Stdout();
      std::vector<std::string> savedNow;
      for (std::size_t at = out.find(" saved: "); at != std::string::npos; at = out.find(" saved: ", at + 1)) {
        const std::size_t end = out.find("  ", at + 8);
        if (end == std::string::npos) break;  // a line cut by the kill
        savedNow.push_back(out.substr(at + 8, end - at - 8));
        ++saved[savedNow.back()];
      }
      // The report survives the kill (in the run's journal) with every take the run said it saved.
      if (!savedNow.empty()) {
        const RunReportFigures report = ReadRunReport(folder + "/Piano/ntr-run.json");
        EXPECT_TRUE(report.valid) << "run " << run;
        for (const std::string& file : savedNow) {
          EXPECT_NE(std::find(report.files.begin(), report.files.end(), file), report.files.end())
              << "run " << run << ": " << file << " is not in the report";
        }
      }
      if (run == 3) {
        ASSERT_EQ(status, 0) << out << child.Stderr();
      }
    }
    EXPECT_EQ(FilesUnder(folder), ExpectedTakes("Piano", {"000", "001"}, names)) << "no temporary take is left";
    for (const auto& [file, count] : saved) EXPECT_EQ(count, 1) << file << " was made twice";
    for (const std::string tag : {"000", "001"}) {
      for (const auto& [name, note] : kNotes) {
        const Take take = ReadTake(folder + "/Piano/PATCH_" + tag + "/PATCH" + tag + "_" + name + ".WAV");
        EXPECT_EQ(take.unityNote, note) << tag << " " << name;
        EXPECT_EQ(take.sampleRate, 11025);
      }
    }
  }
}

TEST(LongRun, ARunThatCannotFitItsDiskIsRefusedBeforeItPlays) {
  test::TempFolder temp;
  const std::string disk = temp.File("small");
  std::filesystem::create_directories(disk);
  if (mount("ntr-test", disk.c_str(), "tmpfs", 0, "size=1m") != 0) GTEST_SKIP() << "cannot mount a tmpfs (needs root)";
  // 6 takes of 2.1 s at 44.1 kHz, 16 bits, stereo, and room for one more: about 2.6 MB for 1 MB.
  const std::string settings =
      WriteSettings(temp, disk + "/samples", "", "2000", "Rate=44 kHz\nBits=16\nChannels=Stereo\n");
  const Finished run = RunToEnd(NTR_PROGRAM, {"--batch", "--settings", settings}, temp.File(""), 30);
  const std::set<std::string> files = FilesUnder(disk + "/samples");
  umount(disk.c_str());
  EXPECT_EQ(run.status, 4) << run.out << run.err;
  EXPECT_NE(run.err.find("not enough free space for this run in \"" + disk + "/samples\": it needs about 2.6 MB, "
                         "and 1.0 MB is free"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("--force"), std::string::npos) << run.err;
  EXPECT_TRUE(files.empty()) << "nothing was recorded";
}

}  // namespace
}  // namespace ntr::e2e
