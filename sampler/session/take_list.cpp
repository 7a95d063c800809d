// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/take_list.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <tuple>

#include "engine/takes/sample_paths.h"
#include "instrument/take_names.h"
#include "session/run_report.h"

namespace ntr::session {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kProgramFolderPrefix = "PATCH_";

// "PATCH_005/PATCH005_C4.WAV" from the report's whole path of a take.
std::string RelativeFile(const QString& reportFile) {
  const QStringList parts = QString(reportFile).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'));
  if (parts.size() < 2) return reportFile.toStdString();
  return (parts[parts.size() - 2] + QLatin1Char('/') + parts.back()).toStdString();
}

std::optional<double> Number(const QJsonValue& value) {
  return value.isDouble() ? std::optional<double>(value.toDouble()) : std::nullopt;
}

TakeFigures FiguresFromReport(const QJsonObject& take) {
  const QJsonObject levels = take[QStringLiteral("levels")].toObject();
  TakeFigures figures;
  figures.peakDbfs = levels[QStringLiteral("peakDbfs")].toDouble(kSilenceFloorDbfs);
  figures.rmsDbfs = levels[QStringLiteral("rmsDbfs")].toDouble(kSilenceFloorDbfs);
  figures.onsetMs = Number(levels[QStringLiteral("onsetMs")]);
  figures.clipped = levels[QStringLiteral("clipped")].toBool();
  figures.cents = Number(take[QStringLiteral("pitchCents")]);
  const QJsonValue loop = take[QStringLiteral("loop")];
  if (loop.isObject()) {
    // "start-end, wrap 1.5x": where it loops and how its wrap steps against
    // the movement around it; or why the take has none.
    const QJsonObject object = loop.toObject();
    if (object.contains(QStringLiteral("none"))) {
      figures.loop = ("none: " + object[QStringLiteral("none")].toString()).toStdString();
    } else {
      figures.loop = (QString::number(object[QStringLiteral("start")].toInteger()) + QLatin1Char('-') +
                      QString::number(object[QStringLiteral("end")].toInteger()) + QStringLiteral(", wrap ") +
                      QString::number(object[QStringLiteral("wrapStepTimesMedian")].toDouble()) + QLatin1Char('x'))
                         .toStdString();
    }
  } else if (loop.isString()) {
    figures.loop = loop.toString().toStdString();
  }
  return figures;
}

// The report's settings (keys as the settings file has them) that place things in a take.
TakeTiming TimingFromReport(const QJsonObject& settings) {
  TakeTiming timing;
  const auto number = [&settings](const char* key) -> std::optional<int> {
    bool ok = false;
    const int value = settings[QLatin1String(key)].toString().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
  };
  timing.durationMs = number("Duration");
  timing.trimmed = number("Instrument/Trim").value_or(0) != 0;
  timing.preRollMs = number("Instrument/PreRollMs").value_or(timing.preRollMs);
  timing.fadeOutMs = number("Instrument/FadeOutMs").value_or(timing.fadeOutMs);
  return timing;
}

void ApplyReport(TakeFolder& list, const QJsonObject& report) {
  list.timing = TimingFromReport(report[QStringLiteral("settings")].toObject());
  std::map<std::string, QJsonObject> byFile;
  // A take made again later in the same report replaces the earlier entry.
  for (const QJsonValue& value : report[QStringLiteral("takes")].toArray()) {
    const QJsonObject take = value.toObject();
    byFile[RelativeFile(take[QStringLiteral("file")].toString())] = take;
  }
  for (TakeEntry& entry : list.takes) {
    const auto found = byFile.find(entry.file);
    if (found == byFile.end()) continue;
    const QJsonObject& take = found->second;
    entry.status = take[QStringLiteral("status")].toString().toStdString();
    if (take[QStringLiteral("retaken")].toBool() && entry.status == "saved") entry.status = "retaken";
    if (!entry.velocity) {
      bool ok = false;
      const int velocity = take[QStringLiteral("velocity")].toVariant().toString().toInt(&ok);
      if (ok) entry.velocity = velocity;
    }
    for (const QJsonValue& warning : take[QStringLiteral("warnings")].toArray()) {
      entry.warnings.push_back(warning.toString().toStdString());
    }
    if (take[QStringLiteral("levels")].isObject()) entry.figures = FiguresFromReport(take);
  }
}

}  // namespace

TakeFolder ListTakeFolder(const std::string& folder) {
  TakeFolder list;
  list.folder = folder;
  const fs::path root = PathFromUtf8(folder);
  list.instrument = Utf8FromPath(root.filename().empty() ? root.parent_path().filename() : root.filename());
  std::error_code error;
  fs::directory_iterator programs(root, error);
  if (error) throw std::runtime_error("cannot read the folder " + folder + ": " + error.message());
  for (const fs::directory_entry& entry : programs) {
    const std::string folderName = Utf8FromPath(entry.path().filename());
    if (!folderName.starts_with(kProgramFolderPrefix) || !entry.is_directory(error)) continue;
    const std::string tag = folderName.substr(kProgramFolderPrefix.size());
    for (const fs::directory_entry& file : fs::directory_iterator(entry.path(), error)) {
      const std::string fileName = Utf8FromPath(file.path().filename());
      const std::optional<instrument::TakeName> name = instrument::ParseTakeName(fileName);
      if (!name || name->programTag != tag) continue;
      TakeEntry take;
      take.file = folderName + "/" + fileName;
      take.path = Utf8FromPath(file.path());
      take.programTag = tag;
      take.noteName = name->noteName;
      take.note = name->note;
      take.velocity = name->velocity;
      take.round = name->round;
      list.takes.push_back(std::move(take));
    }
  }
  std::sort(list.takes.begin(), list.takes.end(), [](const TakeEntry& a, const TakeEntry& b) {
    return std::tuple(a.programTag, a.note, a.velocity.value_or(0), a.round, a.file) <
           std::tuple(b.programTag, b.note, b.velocity.value_or(0), b.round, b.file);
  });

  QFile reportFile(QString::fromStdString(JoinPath(folder, kRunReportName)));
  if (reportFile.open(QIODevice::ReadOnly)) {
    QJsonParseError parseError{};
    const QJsonDocument report = QJsonDocument::fromJson(reportFile.readAll(), &parseError);
    if (report.isObject()) {
      list.hasReport = true;
      ApplyReport(list, report.object());
    } else {
      list.reportProblem = parseError.errorString().toStdString();
    }
  }
  return list;
}

std::optional<std::string> SoundFontOf(const std::string& folder) {
  const fs::path root = PathFromUtf8(folder);
  const fs::path name = root.filename().empty() ? root.parent_path().filename() : root.filename();
  std::error_code error;
  const fs::path own = root / (Utf8FromPath(name) + ".sf2");
  if (fs::is_regular_file(own, error)) return Utf8FromPath(own);
  std::optional<std::string> first;
  for (const fs::directory_entry& entry : fs::directory_iterator(root, error)) {
    std::string extension = Utf8FromPath(entry.path().extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    const std::string path = Utf8FromPath(entry.path());
    if (extension == ".sf2" && entry.is_regular_file(error) && (!first || path < *first)) first = path;
  }
  return first;
}

std::string StatusOfMeasured(const TakeLevels& levels) {
  if (levels.clipped) return TakeStatusName(TakeStatus::Clipped);
  if (!Sounds(levels, kSilenceFloorDbfs)) return TakeStatusName(TakeStatus::Silent);
  return TakeStatusName(TakeStatus::Saved);
}

TakeFigures FiguresOf(const TakeLevels& levels) {
  TakeFigures figures;
  figures.peakDbfs = levels.peakDbfs;
  figures.rmsDbfs = levels.rmsDbfs;
  if (levels.onsetSeconds) figures.onsetMs = *levels.onsetSeconds * 1000.0;
  figures.clipped = levels.clipped;
  return figures;
}

std::string StatusText(const TakeEntry& take) {
  std::string text = take.status;
  const std::size_t warnings = take.warnings.size();
  if (warnings > 0) text += ", " + std::to_string(warnings) + (warnings == 1 ? " warning" : " warnings");
  return text;
}

}  // namespace ntr::session
