// SPDX-License-Identifier: GPL-3.0-or-later
// The take browser's Play and the input meter on a private PulseAudio server
// (scripts/with-pulse-server starts it around this program): a take played
// from the browser arrives at the null sink, recorded from its monitor and
// compared by correlation; a SoundFont played live sounds there while a key is
// held; the meter reads the server's default input, a sine at half of full
// scale, within 1 dB.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>

#include "devices/monitor/audio_input_meter.h"
#include "devices/playback/rtaudio_player.h"
#include "devices/synth/live_instrument.h"
#include "devices/synth/soundfont_locator.h"
#include "quendal/pcm_wav.h"
#include "session/take_list.h"
#include "support/child_process.h"
#include "support/temp_folder.h"
#include "ui/frm_monitor_input.h"
#include "ui/frm_play_instrument.h"
#include "ui/frm_takes.h"

namespace ntr::e2e {
namespace {

constexpr int kRate = 48000;

class PulseWindows : public testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("NTR_TEST_PULSE_SERVER") == nullptr) {
      GTEST_SKIP() << "needs a PulseAudio server: run through scripts/with-pulse-server";
    }
  }
  // What reaches the null sink while `play` runs, from a moment before it to
  // half a second after it (mono, at kRate).
  std::vector<float> Record(const std::function<void()>& play) {
    EXPECT_TRUE(QDir().mkpath(QString::fromStdString(temp_.File("s"))));
    // Silence keeps the sink running, so that its monitor delivers from the first moment on.
    ChildProcess silence("/usr/bin/pacat", {"--raw", "--format=float32le", "--rate=48000", "--channels=1", "/dev/zero"},
                         temp_.File("s"));
    ChildProcess recording("/usr/bin/parec",
                           {"-d", "ntr_test_sink.monitor", "--raw", "--format=float32le", "--rate=48000",
                            "--channels=1", "--latency-msec=20"},
                           temp_.File(""));
    // Play once the recording runs (a tenth of a second of it has arrived).
    for (int i = 0; i < 200 && recording.Stdout().size() < kRate / 10 * sizeof(float); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    play();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    recording.Signal(SIGTERM);
    recording.Wait(5);
    silence.Signal(SIGTERM);
    silence.Wait(5);
    const std::string raw = recording.Stdout();
    std::vector<float> heard(raw.size() / sizeof(float));
    std::memcpy(heard.data(), raw.data(), heard.size() * sizeof(float));
    return heard;
  }

  test::TempFolder temp_;
};

// Half a second of white noise, faded in and out: nothing else correlates with it.
std::vector<float> Noise() {
  std::vector<float> samples(kRate / 2);
  std::uint32_t state = 12345;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    const double fade = std::min({1.0, i / 480.0, (samples.size() - i) / 480.0});
    samples[i] = static_cast<float>(fade * 0.5 * (static_cast<double>(state >> 8) / (1u << 24) * 2.0 - 1.0));
  }
  return samples;
}

double Correlation(const float* a, const float* b, std::size_t n) {
  double ab = 0, aa = 0, bb = 0;
  for (std::size_t i = 0; i < n; ++i) {
    ab += a[i] * b[i];
    aa += a[i] * a[i];
    bb += b[i] * b[i];
  }
  return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

TEST_F(PulseWindows, PlayedTakeArrivesAtTheOutput) {
  const std::vector<float> noise = Noise();
  const QString folder = QString::fromStdString(temp_.File("Noise"));
  ASSERT_TRUE(QDir().mkpath(folder + "/PATCH_XXX"));
  std::string bytes;
  for (const float v : noise) {
    const auto s = static_cast<int16_t>(std::lround(v * 32767.0f));
    bytes.push_back(static_cast<char>(s & 0xff));
    bytes.push_back(static_cast<char>((s >> 8) & 0xff));
  }
  quendal::SavePcmWav((folder + "/PATCH_XXX/PATCHXXX_C5.WAV").toStdString(), {kRate, 16, 1}, bytes);

  RtAudioPlayer player;
  ASSERT_EQ(player.Unavailable(), "");
  ui::frmTakes browser(session::ListTakeFolder(folder.toStdString()), &player);
  browser.show();
  auto* play = browser.findChild<QPushButton*>("cbPlay");
  ASSERT_TRUE(play->isEnabled()) << play->toolTip().toStdString();

  const std::vector<float> heard = Record([&] {
    QTest::keyClick(browser.findChild<QTableView*>("dbgTakes"), Qt::Key_Space);
    QTRY_VERIFY_WITH_TIMEOUT(!player.Playing(), 10000);
  });
  // The take after silence, block by block: each where the one before it ended, give or take what a busy
  // audio server may shift (a short underrun inserts silence). A sink's monitor may miss the first
  // milliseconds of a new stream (the sink rewinds to mix it in at once): where the sound begins is looked
  // up in the take.
  const auto first = std::find_if(heard.begin(), heard.end(), [](float v) { return std::fabs(v) > 0.05f; });
  ASSERT_NE(first, heard.end()) << "nothing arrived at the null sink (" << heard.size() << " samples)";
  const std::size_t near = static_cast<std::size_t>(first - heard.begin());
  ASSERT_GE(near, static_cast<std::size_t>(kRate / 10)) << "the recording did not begin before the take";
  constexpr std::size_t kBlock = kRate / 20;
  ASSERT_GE(heard.size(), near + kBlock);
  std::size_t skipped = 0;
  double best = 0.0;
  for (std::size_t k = 0; k < kBlock; ++k) {
    const double c = Correlation(noise.data() + k, heard.data() + near, kBlock);
    if (c > best) {
      best = c;
      skipped = k;
    }
  }
  EXPECT_GT(best, 0.95) << "the take's beginning was not heard";
  std::size_t expected = near;  // where the next block should begin in what was heard
  for (std::size_t block = skipped; block + kBlock <= noise.size(); block += kBlock) {
    best = 0.0;
    std::size_t at = expected;
    const std::size_t from = expected > 100 ? expected - 100 : 0;
    for (std::size_t start = from; start <= expected + kBlock && start + kBlock <= heard.size(); ++start) {
      const double c = Correlation(noise.data() + block, heard.data() + start, kBlock);
      if (c > best) {
        best = c;
        at = start;
      }
    }
    EXPECT_GT(best, 0.95) << "block at " << block << " of the take; " << heard.size() << " samples heard";
    expected = at + kBlock;
  }
}

// The system's General MIDI SoundFont as an instrument folder's: a held key sounds, and once let go its
// release dies away.
TEST_F(PulseWindows, InstrumentSoundsWhileAKeyIsHeld) {
  LiveInstrument synth;
  ui::frmPlayInstrument window(synth, FindGeneralMidiSoundFont(DefaultSoundFontCandidates()));
  window.show();
  ASSERT_FALSE(synth.Presets().empty());
  const std::vector<float> heard = Record([&] {
    QTest::keyPress(&window, Qt::Key_Q);  // C5
    QTest::qWait(400);
    QTest::keyRelease(&window, Qt::Key_Q);
    QTest::qWait(1500);
  });
  const auto loudest = [&heard](std::size_t from, std::size_t to) {
    float peak = 0.0f;
    for (std::size_t i = from; i < std::min(to, heard.size()); ++i) peak = std::max(peak, std::fabs(heard[i]));
    return peak;
  };
  ASSERT_GT(heard.size(), static_cast<std::size_t>(kRate));
  EXPECT_GT(loudest(0, heard.size()), 0.01f);
  EXPECT_LT(loudest(heard.size() - kRate / 4, heard.size()), 0.001f);  // released, and silent again
}

TEST_F(PulseWindows, MeterReadsTheDefaultInputWithinOneDecibel) {
  AudioInputMeter meter;
  ui::frmMonitorInput window(meter, "");
  window.show();
  ASSERT_NE(meter.Description(), "");
  // A sine at half of full scale: peak -6.0 dBFS, RMS -9.0 dBFS.
  QTest::qWait(1500);
  EXPECT_NEAR(window.Meter().PeakDbfs(), -6.0, 1.0);
  EXPECT_NEAR(window.Meter().RmsDbfs(), -9.0, 1.0);
  ASSERT_TRUE(window.Meter().NoiseFloorDbfs().has_value());
  EXPECT_FALSE(window.Meter().ClipHeld());
}

}  // namespace
}  // namespace ntr::e2e
