// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The journal of a run's report: "ntr-run.jsonl" beside ntr-run.json, one
// JSON object per line, so that recording a take costs as little late in a
// long run as early (ntr-run.json is written whole only at the start and the
// end of a run). Its first line is the report as the run started; every later
// line adds one item to one of the report's lists: {"levelChecks": {...}} or
// {"takes": {...}}. Each line goes to the system as it is written, so a run
// killed at any moment leaves every take it saved in the journal.
//
// The run report removes the journal once the whole ntr-run.json is written
// (the run completed, failed or was stopped). A journal that is still there
// belongs to a run that never wrote its whole report (killed, or the report
// could not be written): readers take the report from it (ReadRunReport), and
// the next run in that folder replaces both, as a new run always replaced the
// report of the last one. Runs on the run's thread.

#include <QFile>
#include <QJsonObject>
#include <QString>

namespace ntr::session {

inline constexpr const char* kRunJournalName = "ntr-run.jsonl";

class RunJournal {
 public:
  // Starts a new journal at path, replacing one an earlier run left, with the report as the run starts.
  bool Start(const QString& path, const QJsonObject& report);
  // Adds item to the report's list; false when the line could not be written.
  bool Add(const QString& list, const QJsonObject& item);
  // Closes and removes the journal (the whole report is written).
  void Remove();
  QString Error() const { return file_.errorString(); }

 private:
  bool WriteLine(const QJsonObject& line);

  QFile file_;
};

// The report of the last run in an instrument's folder as a reader should take
// it: the one its journal holds when a journal is there, otherwise
// ntr-run.json; an empty object when neither can be read.
QJsonObject ReadRunReport(const QString& instrumentFolder);

}  // namespace ntr::session
