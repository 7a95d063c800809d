// SPDX-License-Identifier: GPL-3.0-or-later
// Sustain loops and recorded releases through a real player: NTR samples
// sustained programs of the built-in instrument with Loops=auto and writes
// its SoundFont; FluidSynth (not NTR's code) holds a key six times as long as
// the take, presses one briefly, and plays a percussive program one-shot.
#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <iostream>
#include <memory>

#include "support/child_process.h"
#include "support/take_checks.h"
#include "support/temp_folder.h"

namespace ntr::e2e {
namespace {

const std::string kProgram = NTR_PROGRAM;
constexpr int kRate = 44100;
constexpr int kKey = 60;  // C5, the one note sampled

// C5 held 2 s and 1.5 s of decay recorded, for the given programs.
std::string Settings(const std::string& folder, const std::string& programs, const std::string& gear) {
  return "[Parameters]\nNotes=010000000000000000000000\nOctaves=0000000000010000000000\nChannel=1\nPrograms=" +
         programs +
         "\nVelocity=100\nDuration=2000\nDecay=1500\nRate=44 kHz\nBits=16\nChannels=Stereo\nEmbedded=-1\nGear=" + gear +
         "\nFolder=" + folder + "\nLineVolume=5068\nMicVolume=5068\nOutVolume=5068\nMidiDev=0\n";
}

double Rms(const std::vector<float>& x, double from, double to) {
  const auto a = static_cast<std::size_t>(from * kRate), b = std::min(x.size(), static_cast<std::size_t>(to * kRate));
  double sum = 0;
  for (std::size_t i = a; i < b; ++i) sum += static_cast<double>(x[i]) * x[i];
  return std::sqrt(sum / static_cast<double>(std::max<std::size_t>(b - a, 1)));
}
double Db(double ratio) { return 20.0 * std::log10(std::max(ratio, 1e-12)); }

// The largest click in x[from, to): a step larger than 8 times the median
// movement of the 20 ms around it and 2 % of their peak. Returns the worst
// step in times that median (0 when none is a click) and where it is.
std::pair<double, double> WorstClick(const std::vector<float>& x, double from, double to) {
  const std::size_t hop = kRate / 100, half = kRate / 100;
  std::pair<double, double> worst{0.0, 0.0};
  for (auto at = static_cast<std::size_t>(from * kRate) + half;
       at + hop + half < std::min(x.size(), static_cast<std::size_t>(to * kRate)); at += hop) {
    std::vector<double> moves;
    double peak = 0;
    for (std::size_t i = at - half; i < at + hop + half; ++i) {
      moves.push_back(std::fabs(static_cast<double>(x[i + 1]) - x[i]));
      peak = std::max(peak, static_cast<double>(std::fabs(x[i])));
    }
    std::nth_element(moves.begin(), moves.begin() + static_cast<std::ptrdiff_t>(moves.size() / 2), moves.end());
    const double median = moves[moves.size() / 2];
    for (std::size_t i = at; i < at + hop; ++i) {
      const double step = std::fabs(static_cast<double>(x[i + 1]) - x[i]);
      if (step > 8 * median && step > 0.02 * peak && step / std::max(median, 1e-12) > worst.first) {
        worst = {step / std::max(median, 1e-12), static_cast<double>(i) / kRate};
      }
    }
  }
  return worst;
}

class Player {
 public:
  explicit Player(const std::string& soundFont) {
    fluid_settings_setint(settings_, "synth.reverb.active", 0);
    fluid_settings_setint(settings_, "synth.chorus.active", 0);
    fluid_settings_setnum(settings_, "synth.sample-rate", kRate);
    font_ = fluid_synth_sfload(synth_, soundFont.c_str(), 1);
  }
  ~Player() {
    delete_fluid_synth(synth_);
    delete_fluid_settings(settings_);
  }
  bool Loaded() const { return font_ != FLUID_FAILED; }

  // The left channel of the key pressed for `held` seconds, `total` seconds in all.
  std::vector<float> Play(int preset, double held, double total) {
    fluid_synth_program_select(synth_, 0, font_, 0, preset);
    std::vector<float> left(static_cast<std::size_t>(total * kRate)), right(left.size());
    const auto off = static_cast<int>(held * kRate);
    fluid_synth_noteon(synth_, 0, kKey, 100);
    fluid_synth_write_float(synth_, off, left.data(), 0, 1, right.data(), 0, 1);
    fluid_synth_noteoff(synth_, 0, kKey);
    fluid_synth_write_float(synth_, static_cast<int>(left.size()) - off, left.data(), off, 1, right.data(), off, 1);
    fluid_synth_all_sounds_off(synth_, 0);
    return left;
  }

 private:
  fluid_settings_t* settings_ = new_fluid_settings();
  fluid_synth_t* synth_ = new_fluid_synth(settings_);
  int font_ = FLUID_FAILED;
};

// Per take of the report: its loop (length in frames, worst wrap figures), or why it has none.
void PrintLoops(const std::string& report) {
  QFile file(QString::fromStdString(report));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  for (const QJsonValue take :
       QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("takes")).toArray()) {
    const QJsonObject loop = take.toObject().value(QStringLiteral("loop")).toObject();
    std::cout << take.toObject().value(QStringLiteral("file")).toString().toStdString() << ": ";
    if (loop.contains(QStringLiteral("none"))) {
      std::cout << "no loop (" << loop.value(QStringLiteral("none")).toString().toStdString() << ")\n";
      continue;
    }
    std::cout << "loop " << loop.value(QStringLiteral("start")).toInt() << ".."
              << loop.value(QStringLiteral("end")).toInt() << " ("
              << loop.value(QStringLiteral("end")).toInt() - loop.value(QStringLiteral("start")).toInt() + 1
              << " frames), wrap step " << loop.value(QStringLiteral("wrapStepTimesMedian")).toDouble() << "x median, "
              << 100 * loop.value(QStringLiteral("wrapStepOfPeak")).toDouble() << " % of peak, level "
              << loop.value(QStringLiteral("wrapLevelDb")).toDouble() << " dB\n";
  }
}

TEST(Loops, SustainedProgramsHoldWithoutAClickAndShortPressesPlayTheirTail) {
  test::TempFolder temp;
  const std::string settings = temp.File("settings.ini");
  std::ofstream(settings) << Settings(temp.File("samples"), "19,48,89", "Pads");
  const Finished run = RunToEnd(kProgram,
                                {"--batch", "--settings", settings, "--fast", "--set", "WriteInstrumentFiles=1",
                                 "--set", "Loops=auto", "--set", "Trim=1"},
                                temp.File(""), 110);
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  const std::string instrument = temp.File("samples") + "/Pads";
  PrintLoops(instrument + "/ntr-run.json");

  Player player(instrument + "/Pads.sf2");
  ASSERT_TRUE(player.Loaded());
  for (const int program : {19, 48, 89}) {
    SCOPED_TRACE("program " + std::to_string(program));
    // Held six times as long as the take was: the level holds, and no wrap clicks.
    const std::vector<float> held = player.Play(program, 12.0, 12.0);
    const double level = Rms(held, 1.0, 2.0);
    const double late = Db(Rms(held, 9.5, 10.5) / level);
    const auto [click, at] = WorstClick(held, 0.1, 12.0);
    std::cout << "program " << program << " held 12 s: level at 10 s " << late << " dB against the second second\n";
    EXPECT_LT(std::fabs(late), 3.0);
    EXPECT_EQ(click, 0.0) << "a step of " << click << " times the median movement at " << at << " s";

    // Pressed 0.3 s: the recorded tail is heard, and note-off does not click.
    const std::vector<float> pressed = player.Play(program, 0.3, 1.5);
    const double tail = Db(Rms(pressed, 0.35, 0.55) / level);
    std::cout << "program " << program << " pressed 0.3 s: 50 to 250 ms after note-off " << tail << " dB\n";
    EXPECT_GT(tail, -30.0);
    EXPECT_EQ(WorstClick(pressed, 0.25, 0.4).first, 0.0);
  }
}

TEST(Loops, OneShotPlaysAPercussiveTakeOutHoweverShortThePress) {
  test::TempFolder temp;
  const std::string settings = temp.File("settings.ini");
  std::ofstream(settings) << Settings(temp.File("samples"), "116", "Drums");
  const Finished run = RunToEnd(kProgram,
                                {"--batch", "--settings", settings, "--fast", "--set", "WriteInstrumentFiles=1",
                                 "--set", "Loops=auto", "--set", "PlayMode=one-shot", "--set", "Trim=1"},
                                temp.File(""), 110);
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  const std::string instrument = temp.File("samples") + "/Drums";
  const Take take = ReadTake(instrument + "/PATCH_116/PATCH116_C5.WAV");
  ASSERT_EQ(take.result, 0);

  Player player(instrument + "/Drums.sf2");
  ASSERT_TRUE(player.Loaded());
  const std::vector<float> played = player.Play(116, 0.1, take.Seconds() + 0.5);
  // Where the sound last rises within 50 dB of its peak, in the take and as played.
  const auto lastLoud = [](const std::vector<float>& x) {
    float peak = 0;
    for (const float v : x) peak = std::max(peak, std::fabs(v));
    std::size_t last = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
      if (std::fabs(x[i]) > peak * 0.00316f) last = i;
    }
    return static_cast<double>(last) / kRate;
  };
  const double recorded = lastLoud(take.Mono()), heard = lastLoud(played);
  std::cout << "one-shot program 116, pressed 0.1 s: sounds " << heard << " s of a take that sounds " << recorded
            << " s\n";
  EXPECT_GT(heard, 0.8 * recorded);
  EXPECT_GT(heard, 0.3);
}

}  // namespace
}  // namespace ntr::e2e
