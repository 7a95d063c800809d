// SPDX-License-Identifier: GPL-3.0-or-later
// The unattended mode's own parts, without devices: the command line, the
// help text, the progress display and the stop signals.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <signal.h>

#include <csignal>
#include <cstdio>

#include "batch/command_line.h"
#include "batch/exit_codes.h"
#include "batch/make_instrument.h"
#include "batch/progress_view.h"
#include "batch/stop_signals.h"
#include "fakes/fake_clock.h"
#include "quendal/pcm_wav.h"
#include "session/setting_keys.h"

namespace ntr::batch {
namespace {

int ExitCodeOf(const std::vector<std::string>& arguments) {
  try {
    ParseCommandLine(arguments);
  } catch (const BatchError& error) {
    return error.ExitCode();
  }
  return -1;
}

TEST(CommandLine, OptionsInBothSpellingsAndInOrder) {
  const CommandLine line =
      ParseCommandLine({"--batch", "--settings", "a.ini", "--set", "Gear=My Piano", "--set=Decay=10", "--set", "Gear="});
  EXPECT_TRUE(line.batch);
  EXPECT_FALSE(line.help);
  EXPECT_EQ(line.settingsFile, "a.ini");
  ASSERT_EQ(line.overrides.size(), 3u);
  EXPECT_EQ(line.overrides[0].key, "Gear");
  EXPECT_EQ(line.overrides[0].value, "My Piano");
  EXPECT_EQ(line.overrides[1].key, "Decay");
  EXPECT_EQ(line.overrides[1].value, "10");
  EXPECT_EQ(line.overrides[2].value, "");  // an empty value is a value
  EXPECT_EQ(ParseCommandLine({"--settings=b.ini", "--batch"}).settingsFile, "b.ini");
  EXPECT_TRUE(ParseCommandLine({"-h"}).help);

  // --fast is its setting, overridden for this run.
  const CommandLine fast = ParseCommandLine({"--fast", "--batch"});
  ASSERT_EQ(fast.overrides.size(), 1u);
  session::SessionSettings settings;
  session::ApplyOverride(settings, fast.overrides[0].key, fast.overrides[0].value);
  EXPECT_TRUE(settings.options.renderFast);
}

TEST(CommandLine, MistakesAreUsageErrors) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--batch", "--settings"}, {"--batch", "--set"}, {"--batch", "--set", "Gear"}, {"--batch", "--set", "=1"},
           {"--batch", "--sets", "x=1"}, {"--batch", "extra"}, {"--set", "Gear=x"}, {"--settings", "a.ini"},
           {"--batch", "--settings="}, {"--fast"}}) {
    EXPECT_EQ(ExitCodeOf(arguments), kExitUsage) << arguments.back();
  }
}

TEST(CommandLine, OnlyOurOptionsLeaveTheWindowBehind) {
  const char* window[] = {"NTR", "-platform", "offscreen"};
  EXPECT_FALSE(IsBatchCommandLine(3, window));
  const char* batch[] = {"NTR", "--batch"};
  EXPECT_TRUE(IsBatchCommandLine(2, batch));
  const char* set[] = {"NTR", "--set=Gear=x"};
  EXPECT_TRUE(IsBatchCommandLine(2, set));  // refused later, with a message, rather than ignored
  const char* settingsLike[] = {"NTR", "--settingsfile"};
  EXPECT_FALSE(IsBatchCommandLine(2, settingsLike));
}

TEST(Help, NamesEveryKeyAndExitStatus) {
  const std::string text = UsageText();
  for (const session::SettingKey& key : session::SettingKeys()) {
    EXPECT_NE(text.find("  " + std::string(key.name) + " "), std::string::npos);
  }
  for (const char* status : {"  0 ", "  1 ", "  2 ", "  3 ", "  4 ", "  5 ", "  130 ", "143"}) {
    EXPECT_NE(text.find(status), std::string::npos) << status;
  }
}

std::string Contents(std::FILE* file);

// --make-instrument alone, on a folder: its files written and named, or an error that says why.
TEST(MakeInstrument, WritesTheFilesOrSaysWhyNot) {
  EXPECT_EQ(ParseCommandLine({"--make-instrument", "/s/Piano"}).makeInstrument, "/s/Piano");
  // How the regions play is the one setting it takes.
  EXPECT_EQ(ParseCommandLine({"--make-instrument", "/s/Drums", "--set", "PlayMode=one-shot"}).overrides.size(), 1u);
  const char* make[] = {"NTR", "--make-instrument=/s/Piano"};
  EXPECT_TRUE(IsBatchCommandLine(2, make));
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--make-instrument"}, {"--make-instrument="}, {"--batch", "--make-instrument", "x"},
           {"--make-instrument", "x", "--set", "Gear=y"}, {"--batch", "--set", "MidiDev=3", "--list-devices"}}) {
    EXPECT_EQ(ExitCodeOf(arguments), kExitUsage) << arguments.back();
  }

  QTemporaryDir folder;
  const std::string instrument = folder.filePath(QStringLiteral("Piano")).toStdString();
  std::FILE* out = std::tmpfile();
  auto failure = [&](int expected, const char* says) {
    try {
      MakeInstrument(instrument, {}, out, out);
      ADD_FAILURE() << "no error";
    } catch (const BatchError& error) {
      EXPECT_EQ(error.ExitCode(), expected);
      EXPECT_NE(std::string(error.what()).find(says), std::string::npos) << error.what();
    }
  };
  failure(kExitFolder, "does not exist");
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(instrument + "/PATCH_XXX")));
  failure(kExitNoTakes, "no takes");

  quendal::SavePcmWav(instrument + "/PATCH_XXX/PATCHXXX_A5.WAV", {44100, 16, 1}, std::string(2000, '\x10'));
  EXPECT_EQ(MakeInstrument(instrument, {}, out, out), kExitDone);
  const std::string printed = Contents(out);
  for (const char* file : {"/Piano_PATCH_XXX.sfz", "/Piano_PATCH_XXX.dspreset", "/Piano.sf2"}) {
    EXPECT_NE(printed.find("Wrote " + instrument + file + "\n"), std::string::npos) << printed;
    EXPECT_TRUE(QFile::exists(QString::fromStdString(instrument + file))) << file;
  }
  std::fclose(out);
}

// --check-instrument alone, with its tolerance or without; the tolerance needs it and a number of cents.
TEST(CheckInstrument, TakesAFolderAndATolerance) {
  const CommandLine line = ParseCommandLine({"--check-instrument", "/s/Piano", "--tolerance-cents=2.5"});
  EXPECT_EQ(line.checkInstrument, "/s/Piano");
  EXPECT_EQ(line.toleranceCents, 2.5);
  EXPECT_FALSE(line.makeInstrument);
  const char* check[] = {"NTR", "--check-instrument", "/s/Piano"};
  EXPECT_TRUE(IsBatchCommandLine(3, check));
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--check-instrument"}, {"--tolerance-cents", "3"}, {"--check-instrument", "x", "--tolerance-cents", "0"},
           {"--check-instrument", "x", "--tolerance-cents", "3c"}, {"--check-instrument", "x", "--make-instrument", "y"},
           {"--batch", "--check-instrument", "x"}}) {
    EXPECT_EQ(ExitCodeOf(arguments), kExitUsage) << arguments.back();
  }
}

TEST(ProgressBar, FitsTheTerminalAndShowsTheRun) {
  const BarContent content{12, 48, "1' 3\"", "4' 12\"", "C#5"};
  const std::string line = ProgressBarLine(content, 100);
  EXPECT_EQ(line.rfind("[##########.", 0), 0u) << line;  // a quarter of a 40-wide bar
  EXPECT_NE(line.find("] 12/48  elapsed 1' 3\"  estimate 4' 12\"  playing C#5"), std::string::npos) << line;
  for (const int width : {20, 40, 60, 80, 200}) EXPECT_LT(ProgressBarLine(content, width).size(), static_cast<std::size_t>(width));
  EXPECT_EQ(ProgressBarLine({0, 0, "0\"", "", ""}, 80).find("estimate"), std::string::npos);
  EXPECT_EQ(ProgressBarLine({5, 4, "1\"", "", ""}, 80).find('.'), std::string::npos);  // never past full
  EXPECT_EQ(ElapsedText(0.2), "0\"");
  EXPECT_EQ(ElapsedText(63.4), "1' 3\"");
}

std::string Contents(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
  return text;
}

TEST(ProgressView, PlainLinesForALogAndABarForATerminal) {
  fakes::FakeClock clock(0.0);
  std::FILE* log = std::tmpfile();
  ASSERT_NE(log, nullptr);
  ProgressView plain(log, false, 80, clock);
  plain.RunStateChanged(RunState::Running);
  RunProgress progress;
  progress.eventsTotal = 2;
  progress.estimate = "10\"";
  plain.RunProgressChanged(progress);
  clock.Advance(3.0);
  SavedTake take;
  take.note = "C5";
  take.programTag = "005";
  take.file = "/s/P/PATCH_005/PATCH005_C5.WAV";
  take.tagged = true;
  plain.TakeSaved(take);
  plain.Tick();
  EXPECT_EQ(Contents(log), "[1/2] PATCH_005 C5 saved: /s/P/PATCH_005/PATCH005_C5.WAV  elapsed 3\"  estimate 10\"\n");
  std::fclose(log);

  std::FILE* tty = std::tmpfile();
  ASSERT_NE(tty, nullptr);
  ProgressView bar(tty, true, 80, clock);
  bar.RunStateChanged(RunState::Running);
  progress.nowPlaying = "C5";
  bar.RunProgressChanged(progress);
  clock.Advance(1.0);
  bar.Tick();  // the elapsed time moves on: drawn again
  bar.Tick();  // the same second: not drawn again
  std::FILE* other = std::tmpfile();
  ASSERT_NE(other, nullptr);
  bar.Line(other, "a line of its own");
  EXPECT_EQ(Contents(other), "a line of its own\n");
  std::fclose(other);
  bar.RunStateChanged(RunState::Idle);
  bar.RunFinished({});
  const std::string drawn = Contents(tty);
  std::fclose(tty);
  EXPECT_NE(drawn.find("\r[...."), std::string::npos) << drawn;
  EXPECT_NE(drawn.find("\r\033[K\r[...."), std::string::npos) << "the bar is cleared and drawn again: " << drawn;
  std::size_t draws = 0;
  for (std::size_t at = drawn.find("\r["); at != std::string::npos; at = drawn.find("\r[", at + 1)) ++draws;
  EXPECT_EQ(draws, 3u) << "drawn once the total is known, when the second changed and after the line: " << drawn;
  EXPECT_NE(drawn.find("elapsed 1\"  estimate 10\"  playing C5\033[K"), std::string::npos) << drawn;
  EXPECT_EQ(drawn.back(), '\n');
  EXPECT_EQ(bar.TakesSaved(), 0);
}

TEST(StopSignals, RecordTheFirstSignalAndCountTheRest) {
  {
    StopSignals stops;
    EXPECT_EQ(stops.First(), 0);
    std::raise(SIGTERM);  // handled: the test goes on
    std::raise(SIGINT);
    EXPECT_EQ(stops.First(), SIGTERM);
    EXPECT_EQ(stops.Count(), 2);
  }
  StopSignals again;  // a new run starts clean
  EXPECT_EQ(again.First(), 0);
}

TEST(StopSignals, ASignalTheCallerIgnoresStaysIgnored) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  struct sigaction before {};
  sigaction(SIGHUP, &ignore, &before);  // as nohup leaves it
  {
    StopSignals stops;
    std::raise(SIGHUP);
    EXPECT_EQ(stops.Count(), 0);
  }
  struct sigaction after {};
  sigaction(SIGHUP, &before, &after);
  EXPECT_EQ(after.sa_handler, SIG_IGN);
}

}  // namespace
}  // namespace ntr::batch
