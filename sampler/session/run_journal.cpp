// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/run_journal.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <map>

#include "session/run_report.h"

namespace ntr::session {

bool RunJournal::Start(const QString& path, const QJsonObject& report) {
  if (file_.isOpen()) file_.close();
  file_.setFileName(path);
  // Unbuffered: every line reaches the system in one write, complete, before the next take begins.
  return file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) && WriteLine(report);
}

bool RunJournal::Add(const QString& list, const QJsonObject& item) { return WriteLine(QJsonObject{{list, item}}); }

bool RunJournal::WriteLine(const QJsonObject& line) {
  if (!file_.isOpen()) return false;
  const QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
  return file_.write(text) == text.size();
}

void RunJournal::Remove() {
  if (file_.fileName().isEmpty()) return;
  file_.close();
  file_.remove();
}

namespace {

QJsonObject ReadObject(const QByteArray& text) {
  const QJsonDocument document = QJsonDocument::fromJson(text);
  return document.isObject() ? document.object() : QJsonObject();
}

// The report as the journal's lines build it. A line cut short (power lost
// while it was written) is left out.
QJsonObject FoldJournal(QFile& journal) {
  QJsonObject report = ReadObject(journal.readLine());
  std::map<QString, QJsonArray> lists;
  while (!journal.atEnd()) {
    const QJsonObject line = ReadObject(journal.readLine());
    if (line.size() != 1 || !report.value(line.begin().key()).isArray()) continue;
    auto list = lists.try_emplace(line.begin().key(), report.value(line.begin().key()).toArray()).first;
    list->second.append(line.begin().value());
  }
  for (const auto& [name, list] : lists) report[name] = list;
  return report;
}

}  // namespace

QJsonObject ReadRunReport(const QString& instrumentFolder) {
  const QDir folder(instrumentFolder);
  QFile journal(folder.filePath(QLatin1String(kRunJournalName)));
  if (journal.open(QIODevice::ReadOnly)) {
    QJsonObject report = FoldJournal(journal);
    if (!report.isEmpty()) return report;
  }
  QFile whole(folder.filePath(QLatin1String(kRunReportName)));
  return whole.open(QIODevice::ReadOnly) ? ReadObject(whole.readAll()) : QJsonObject();
}

}  // namespace ntr::session
