// SPDX-License-Identifier: GPL-3.0-or-later
// How long the take browser takes to open a folder of many takes: a folder of
// 2,000 one-second 16-bit stereo takes (20 programs, 20 notes, 5 velocity
// layers) with a run report, then the same folder without one. Timed from
// the listing to the window shown with the first take's waveform drawn; the
// measuring of a folder without a report, which goes on in the background,
// is timed to its end as well. bench/run-takes-bench builds and runs it.
// Usage: take_browser_bench [FOLDER] (default: a temporary folder, removed after).

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>

#include "engine/events/note_names.h"
#include "quendal/pcm_wav.h"
#include "session/take_list.h"
#include "ui/frm_takes.h"
#include "ui/take_table_model.h"
#include "ui/waveform_view.h"

namespace {

constexpr int kPrograms = 20;
constexpr int kNotes = 20;
constexpr int kLayers = 5;
constexpr int kRate = 44100;

std::string TakeBytes() {
  std::string bytes;
  for (int i = 0; i < kRate; ++i) {
    const double v = 0.5 * std::exp(-3.0 * i / kRate) * std::sin(2 * M_PI * 440.0 * i / kRate);
    const auto s = static_cast<int16_t>(std::lround(v * 32767.0));
    for (int c = 0; c < 2; ++c) {
      bytes.push_back(static_cast<char>(s & 0xff));
      bytes.push_back(static_cast<char>((s >> 8) & 0xff));
    }
  }
  return bytes;
}

// The takes, and the report a run would have left for them.
void MakeFolder(const QString& folder) {
  const std::string bytes = TakeBytes();
  QJsonArray takes;
  for (int p = 0; p < kPrograms; ++p) {
    const QString tag = QStringLiteral("%1").arg(p, 3, 10, QLatin1Char('0'));
    QDir().mkpath(folder + "/PATCH_" + tag);
    for (int n = 0; n < kNotes; ++n) {
      for (int l = 1; l <= kLayers; ++l) {
        const QString name = QStringLiteral("PATCH%1_%2_V%3.WAV")
                                 .arg(tag, QString::fromStdString(ntr::NoteName(40 + n)))
                                 .arg(l * 25, 3, 10, QLatin1Char('0'));
        const QString path = folder + "/PATCH_" + tag + "/" + name;
        quendal::SavePcmWav(path.toStdString(), {kRate, 16, 2}, bytes);
        QJsonObject levels{
            {"peakDbfs", -6.0}, {"rmsDbfs", -14.2}, {"onsetMs", 0.0}, {"clipped", false}, {"seconds", 1.0}};
        takes.append(QJsonObject{
            {"file", path}, {"program", tag}, {"status", "saved"}, {"levels", levels}, {"warnings", QJsonArray()}});
      }
    }
  }
  QJsonObject report{{"settings", QJsonObject{{"Duration", "700"}}}, {"takes", takes}};
  QFile file(folder + "/ntr-run.json");
  file.open(QIODevice::WriteOnly);
  file.write(QJsonDocument(report).toJson());
}

// Milliseconds from the listing to the window drawn with its first waveform.
double OpenTime(const QString& folder, bool waitForMeasuring) {
  QElapsedTimer timer;
  timer.start();
  ntr::ui::frmTakes browser(ntr::session::ListTakeFolder(folder.toStdString()), nullptr);
  browser.show();
  while (!browser.Waveform().HasOverview()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  browser.repaint();
  const double opened = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  std::printf("  %d takes: window with the first waveform after %.0f ms\n", browser.Model().rowCount(), opened);
  if (waitForMeasuring) {
    const int last = browser.Model().rowCount() - 1;
    while (browser.Model().Take(last).status.empty()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::printf("  every take measured in the background after %.0f ms\n",
                static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  return opened;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir temporary;
  const QString folder = (argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path()) + "/Bench_Piano";
  std::printf("Making %d takes in %s...\n", kPrograms * kNotes * kLayers, qPrintable(folder));
  MakeFolder(folder);
  std::printf("With the run's report:\n");
  const double withReport = OpenTime(folder, false);
  QFile::remove(folder + "/ntr-run.json");
  std::printf("Without a report:\n");
  const double without = OpenTime(folder, true);
  const bool fast = withReport < 2000.0 && without < 2000.0;
  std::printf("%s: opened in under 2 s\n", fast ? "PASS" : "FAIL");
  return fast ? 0 : 1;
}
