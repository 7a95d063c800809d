// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The report of a run: "ntr-run.json" in the instrument's folder, written
// whole (a new file renamed into place) when the run starts and when it ends,
// is stopped or fails. In between every level check and take goes at once to
// the run's journal beside it (run_journal.h), which costs the same late in a
// long run as early and holds every take saved even if the run is killed.
// The session holds one for either front end. Runs on the run's thread.

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <functional>
#include <string>

#include "engine/run/run_state.h"
#include "session/run_journal.h"
#include "session/session_settings.h"

namespace ntr::session {

inline constexpr const char* kRunReportName = "ntr-run.json";

// The devices of a run, as the front end names them.
struct RunDevices {
  std::string midiDevice;  // the "MIDI Devices" entry's caption
  std::string recording;   // what the takes are recorded from
};

class RunReport : public RunObserver {
 public:
  RunReport(std::function<SessionSettings()> settings, std::function<RunDevices()> devices);

  void RunStarted(const RunStart& start) override;
  void LevelChecked(const LevelCheckReport& check) override;
  void TakeSaved(const SavedTake& take) override;
  void TakeFailed(const SavedTake& take) override;
  void RunFinished(const RunResult& result) override;

  // The instrument check made after the run (its summary, then a line per
  // problem), written as "instrumentCheck" when it is not "".
  void SetInstrumentCheck(std::function<std::string()> check) { instrumentCheck_ = std::move(check); }

  // A retake's report: the folder's report (ReadRunReport) is kept with
  // every take in it; each take made again replaces its entry, marked
  // "retaken", and the retake itself is added to "retakeRuns". Set before
  // RunStarted; a run that is no retake starts a report of its own.
  void SetRetake(bool retake) { retake_ = retake; }

  // The report of the last run ("" before any, and after a run refused
  // before it began, which writes none), and why it could not be written
  // last time ("" when it was).
  const QString& Path() const { return path_; }
  const QString& WriteError() const { return writeError_; }
  // "Report: <path>", with why it could not be written when it could not; "" when Path() is.
  std::string Where() const;

 private:
  void AddTake(const SavedTake& take);
  void StartRetake(const RunStart& start);
  void FinishRetake(const QJsonObject& summary, const RunResult& result);
  void Journal(const QString& list, const QJsonObject& item);
  QJsonObject Whole() const;
  bool Write();

  std::function<SessionSettings()> settings_;
  std::function<RunDevices()> devices_;
  std::function<std::string()> instrumentCheck_;
  QString path_;
  QString writeError_;
  QJsonObject report_;
  QJsonArray checks_;
  QJsonArray takes_;
  RunJournal journal_;
  bool retake_ = false;
  QJsonObject retakeRun_;  // this retake's own entry of "retakeRuns"
};

// "saved", "silent", "clipped", "failed".
const char* TakeStatusName(TakeStatus status);

// "24 takes saved (2 marked clipped, 3 silent), 0 failed": the end of a run
// in the window's message box and on the batch mode's terminal.
std::string RunSummary(const RunResult& result);

}  // namespace ntr::session
