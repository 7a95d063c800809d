// SPDX-License-Identifier: GPL-3.0-or-later
// The run report: a run's journal holds every take the moment it is saved (a
// run killed then loses none), and the whole ntr-run.json written at the end
// has the same content it always had.

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "session/run_journal.h"
#include "session/run_report.h"
#include "session/setting_keys.h"

namespace ntr::session {
namespace {

// The report without what differs from run to run (its times) and what the
// key table owns (the settings, checked by count), as compact JSON.
std::string Comparable(QJsonObject report) {
  EXPECT_TRUE(report.value(QStringLiteral("started")).isString());
  EXPECT_EQ(report.value(QStringLiteral("settings")).toObject().size(), static_cast<qsizetype>(SettingKeys().size()));
  report.remove(QStringLiteral("started"));
  report.remove(QStringLiteral("settings"));
  if (report.value(QStringLiteral("finished")).isString()) report[QStringLiteral("finished")] = QStringLiteral("T");
  return QJsonDocument(report).toJson(QJsonDocument::Compact).toStdString();
}

QJsonObject ReadJson(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  return QJsonDocument::fromJson(file.readAll()).object();
}

SavedTake Take(const char* note, TakeStatus status) {
  SavedTake take;
  take.note = note;
  take.velocity = 100;
  take.programTag = "005";
  take.file = std::string("/x/PATCH_005/PATCH005_") + note + ".WAV";
  take.tagged = status != TakeStatus::Failed;
  take.status = status;
  take.noiseFloorDbfs = -96.04;
  if (status != TakeStatus::Failed) take.levels = TakeLevels{-6.26, -18.04, 0.00123, false, 2.5};
  if (status == TakeStatus::Failed) take.cause = "the disk is full";
  if (status == TakeStatus::Clipped) take.warnings = {"the temporary file could not be removed"};
  // A take in tune, and one so far off its key that it gets a warning.
  if (status == TakeStatus::Saved) take.levels->pitchCents = -3.04;
  if (status == TakeStatus::Clipped) take.levels->pitchCents = 62.46;
  return take;
}

TEST(RunReport, EveryTakeIsInTheJournalAtOnceAndTheWholeReportIsWrittenAtTheEnd) {
  QTemporaryDir folder;
  RunReport report([] { return SessionSettings{}; }, [] { return RunDevices{"0: Built-in", "its own output"}; });
  report.RunStarted(RunStart{folder.path().toStdString(), 4, 1, 2});
  report.LevelChecked(LevelCheckReport{"005", -96.04, 60, TakeLevels{-3.0, -12.0, 0.0, false, 1.0}, {59}});
  report.TakeSaved(Take("C4", TakeStatus::Saved));
  report.TakeSaved(Take("D4", TakeStatus::Clipped));
  report.TakeFailed(Take("E4", TakeStatus::Failed));

  // Killed here: the report a reader finds holds every take so far, as ntr-run.json always did.
  const std::string head =
      R"({"devices":{"midiDevice":0,"midiDeviceName":"0: Built-in","recording":"its own output"},)"
      R"("eventsPlanned":4,"eventsSkipped":1,"finished":)";
  const std::string checks =
      R"("leftoverTakesRemoved":2,"levelChecks":[{"noiseFloorDbfs":-96,"program":"005","silentTestNotes":["B4"],)"
      R"("testNote":"C5","testNoteLevels":{"clipped":false,"onsetMs":0,"peakDbfs":-3,"rmsDbfs":-12,"seconds":1}}],)";
  const std::string takes =
      R"("takes":[{"file":"/x/PATCH_005/PATCH005_C4.WAV","levels":{"clipped":false,"onsetMs":1.2,"peakDbfs":-6.3,)"
      R"("rmsDbfs":-18,"seconds":2.5},"noiseFloorDbfs":-96,"note":"C4","pitchCents":-3,"program":"005","retakes":0,)"
      R"("round":1,"status":"saved","tagged":true,"velocity":"100","warnings":[]},)"
      R"({"file":"/x/PATCH_005/PATCH005_D4.WAV","levels":{"clipped":false,"onsetMs":1.2,"peakDbfs":-6.3,)"
      R"("rmsDbfs":-18,"seconds":2.5},"noiseFloorDbfs":-96,"note":"D4","pitchCents":62.5,"program":"005",)"
      R"("retakes":0,"round":1,"status":"clipped","tagged":true,"velocity":"100","warnings":["the temporary file )"
      R"(could not be removed","the take is 62.5 cents sharp of its key: a wrong note, a transposed patch or a )"
      R"(pitch bend left on?"]},)"
      R"({"cause":"the disk is full","file":"/x/PATCH_005/PATCH005_E4.WAV","levels":null,"noiseFloorDbfs":-96,)"
      R"("note":"E4","pitchCents":null,"program":"005","retakes":0,"round":1,"status":"failed","tagged":false,)"
      R"("velocity":"100",)"
      R"("warnings":[]}]})";
  EXPECT_EQ(Comparable(ReadRunReport(folder.path())), head + "null," + checks + R"("outcome":"running",)" + takes);
  const QString journal = QDir(folder.path()).filePath(QLatin1String(kRunJournalName));
  EXPECT_TRUE(QFile::exists(journal));

  report.RunFinished(RunResult{RunOutcome::EventFailed, 2, "The disk is full.", 1, 0, 1, 1, 2});
  EXPECT_EQ(Comparable(ReadJson(report.Path())),
            head + R"("T",)" + checks +
                R"("message":"The disk is full.","outcome":"failed","summary":{"clipped":1,"failed":1,"saved":2,)"
                R"("silent":0,"withWarnings":1},)" + takes);
  EXPECT_EQ(report.WriteError(), QString());
  EXPECT_FALSE(QFile::exists(journal)) << "the journal goes once the whole report is written";

  // A run refused before it began writes no report and names none, not the last run's either.
  report.RunFinished(RunResult{RunOutcome::FoldersFailed, 0, "No folder."});
  EXPECT_EQ(report.Where(), "");
}

}  // namespace
}  // namespace ntr::session
