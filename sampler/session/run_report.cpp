// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/run_report.h"

#include <QDateTime>
#include <QDir>
#include <QJsonDocument>
#include <cmath>

#include "engine/events/note_names.h"
#include "engine/takes/sample_paths.h"
#include "engine/takes/take_pitch.h"
#include "quendal/atomic_file.h"
#include "session/setting_keys.h"

namespace ntr::session {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

QString Now() { return QDateTime::currentDateTime().toString(Qt::ISODate); }

// Levels in dB with one decimal (JSON has no infinity: digital silence is the floor value).
double Db(double value) { return std::round(value * 10.0) / 10.0; }

const char* OutcomeName(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::Completed: return "completed";
    case RunOutcome::Stopped: return "stopped";
    case RunOutcome::FoldersFailed: return "folders failed";
    case RunOutcome::MidiOpenFailed: return "MIDI device failed";
    case RunOutcome::EventFailed: return "failed";
    case RunOutcome::InstrumentSilent: return "instrument silent";
    case RunOutcome::CheckCancelled: return "cancelled after the level check";
    case RunOutcome::NotEnoughSpace: return "not enough free space";
    case RunOutcome::InputMissing: return "audio input missing";
  }
  return "failed";
}

QJsonObject LevelsObject(const TakeLevels& levels) {
  QJsonObject object;
  object[QStringLiteral("peakDbfs")] = Db(levels.peakDbfs);
  object[QStringLiteral("rmsDbfs")] = Db(levels.rmsDbfs);
  object[QStringLiteral("onsetMs")] =
      levels.onsetSeconds ? QJsonValue(std::round(*levels.onsetSeconds * 10000.0) / 10.0) : QJsonValue();
  object[QStringLiteral("clipped")] = levels.clipped;
  object[QStringLiteral("seconds")] = std::round(levels.seconds * 1000.0) / 1000.0;
  return object;
}

// A looped take's loop (frames, the end inclusive as the sampler chunk has
// it) and its wrap; a take without a steady part says why it has none.
QJsonObject LoopObject(const TakeLoop& loop) {
  QJsonObject object;
  if (!loop.found) {
    object[QStringLiteral("none")] = Text(loop.refusal);
    return object;
  }
  object[QStringLiteral("start")] = static_cast<qint64>(loop.start);
  object[QStringLiteral("end")] = static_cast<qint64>(loop.end);
  object[QStringLiteral("wrapStepTimesMedian")] = std::round(loop.wrapStep * 100.0) / 100.0;
  object[QStringLiteral("wrapStepOfPeak")] = std::round(loop.wrapStepOfPeak * 10000.0) / 10000.0;
  object[QStringLiteral("wrapLevelDb")] = std::round(loop.levelDifferenceDb * 100.0) / 100.0;
  return object;
}

}  // namespace

const char* TakeStatusName(TakeStatus status) {
  switch (status) {
    case TakeStatus::Saved: return "saved";
    case TakeStatus::Silent: return "silent";
    case TakeStatus::Clipped: return "clipped";
    case TakeStatus::Failed: return "failed";
  }
  return "failed";
}

std::string RunSummary(const RunResult& result) {
  const auto count = [](std::int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  std::string text = count(result.takesSaved, "take", "takes") + " saved (" + std::to_string(result.takesClipped) +
                     " marked clipped, " + std::to_string(result.takesSilent) + " silent), " +
                     std::to_string(result.takesFailed) + " failed";
  if (result.warnings > 0) text += "; " + count(result.warnings, "take has", "takes have") + " a warning";
  // Takes the run went on past (a protected file): the first says which and why.
  if (!result.failedTakes.empty()) {
    text += "; " + result.failedTakes.front();
    if (result.failedTakes.size() > 1) text += " (and " + std::to_string(result.failedTakes.size() - 1) + " more)";
  }
  return text;
}

RunReport::RunReport(std::function<SessionSettings()> settings, std::function<RunDevices()> devices)
    : settings_(std::move(settings)), devices_(std::move(devices)) {}

std::string RunReport::Where() const {
  if (path_.isEmpty()) return {};
  std::string text = "Report: " + path_.toStdString();
  if (!writeError_.isEmpty()) text += " (could not be written: " + writeError_.toStdString() + ")";
  return text;
}

void RunReport::RunStarted(const RunStart& start) {
  const SessionSettings settings = settings_();
  const RunDevices devices = devices_();
  path_ = QDir(Text(start.instrumentPath)).filePath(QLatin1String(kRunReportName));
  checks_ = {};
  takes_ = {};
  report_ = {};
  if (retake_) {
    StartRetake(start);
    return;
  }

  QJsonObject stored;
  for (const SettingKey& key : SettingKeys()) {
    const QString name = QString::fromLatin1(key.name.data(), static_cast<qsizetype>(key.name.size()));
    const QString group = QString::fromLatin1(key.group.data(), static_cast<qsizetype>(key.group.size()));
    stored[group == QLatin1String(kSettingsGroup) ? name : group + QLatin1Char('/') + name] = key.text(settings);
  }
  QJsonObject deviceObject;
  deviceObject[QStringLiteral("midiDevice")] = settings.midiDevice;
  deviceObject[QStringLiteral("midiDeviceName")] = Text(devices.midiDevice);
  deviceObject[QStringLiteral("recording")] = Text(devices.recording);

  report_[QStringLiteral("started")] = Now();
  report_[QStringLiteral("finished")] = QJsonValue();
  report_[QStringLiteral("outcome")] = QStringLiteral("running");
  report_[QStringLiteral("eventsPlanned")] = static_cast<double>(start.eventsTotal);
  report_[QStringLiteral("eventsSkipped")] = static_cast<double>(start.eventsSkipped);
  report_[QStringLiteral("leftoverTakesRemoved")] = start.leftoversRemoved;
  report_[QStringLiteral("settings")] = stored;
  report_[QStringLiteral("devices")] = deviceObject;
  // The journal first: from here on it is the run's report, whatever ntr-run.json still holds.
  const bool journalStarted =
      journal_.Start(QDir(Text(start.instrumentPath)).filePath(QLatin1String(kRunJournalName)), Whole());
  if (Write() && !journalStarted) writeError_ = journal_.Error();
}

void RunReport::StartRetake(const RunStart& start) {
  report_ = ReadRunReport(Text(start.instrumentPath));
  checks_ = report_.take(QStringLiteral("levelChecks")).toArray();
  takes_ = report_.take(QStringLiteral("takes")).toArray();
  if (report_.isEmpty()) report_[QStringLiteral("outcome")] = QStringLiteral("unknown");  // takes of no report
  retakeRun_ = {};
  retakeRun_[QStringLiteral("started")] = Now();
  retakeRun_[QStringLiteral("eventsPlanned")] = static_cast<double>(start.eventsTotal);
  const bool journalStarted =
      journal_.Start(QDir(Text(start.instrumentPath)).filePath(QLatin1String(kRunJournalName)), Whole());
  if (Write() && !journalStarted) writeError_ = journal_.Error();
}

void RunReport::LevelChecked(const LevelCheckReport& check) {
  QJsonObject object;
  object[QStringLiteral("program")] = Text(check.programTag);
  object[QStringLiteral("noiseFloorDbfs")] = Db(check.noiseFloorDbfs);
  object[QStringLiteral("testNote")] =
      check.soundingNote ? QJsonValue(Text(NoteName(*check.soundingNote))) : QJsonValue();
  object[QStringLiteral("testNoteLevels")] =
      check.soundingLevels ? QJsonValue(LevelsObject(*check.soundingLevels)) : QJsonValue();
  QJsonArray silent;
  for (const int note : check.silentNotes) silent.append(Text(NoteName(note)));
  object[QStringLiteral("silentTestNotes")] = silent;
  checks_.append(object);
  Journal(QStringLiteral("levelChecks"), object);
}

void RunReport::TakeSaved(const SavedTake& take) { AddTake(take); }
void RunReport::TakeFailed(const SavedTake& take) { AddTake(take); }

void RunReport::AddTake(const SavedTake& take) {
  QJsonObject object;
  object[QStringLiteral("file")] = Text(take.file);
  object[QStringLiteral("program")] = Text(take.programTag);
  object[QStringLiteral("note")] = Text(take.note);
  object[QStringLiteral("velocity")] = QString::number(take.velocity);
  object[QStringLiteral("round")] = take.round;
  object[QStringLiteral("status")] = QLatin1String(TakeStatusName(take.status));
  object[QStringLiteral("tagged")] = take.tagged;
  object[QStringLiteral("noiseFloorDbfs")] = Db(take.noiseFloorDbfs);
  object[QStringLiteral("levels")] = take.levels ? QJsonValue(LevelsObject(*take.levels)) : QJsonValue();
  // Cents from the key played; null where the take has no steady pitch (noise, a drum).
  object[QStringLiteral("pitchCents")] = take.levels && take.levels->pitchCents
                                             ? QJsonValue(std::round(*take.levels->pitchCents * 10.0) / 10.0)
                                             : QJsonValue();
  if (take.loop) object[QStringLiteral("loop")] = LoopObject(*take.loop);
  object[QStringLiteral("retakes")] = take.retakes;
  QJsonArray warnings;
  for (const std::string& warning : take.warnings) warnings.append(Text(warning));
  // A take this far off its key was most likely not the note meant (the
  // finishing leaves it uncorrected).
  if (take.levels && take.levels->pitchCents && std::fabs(*take.levels->pitchCents) > kWrongNoteCents) {
    const double cents = *take.levels->pitchCents;
    warnings.append(QStringLiteral("the take is %1 cents %2 of its key: a wrong note, a transposed patch or a pitch "
                                   "bend left on?")
                        .arg(std::fabs(cents), 0, 'f', 1)
                        .arg(cents > 0 ? QStringLiteral("sharp") : QStringLiteral("flat")));
  }
  object[QStringLiteral("warnings")] = warnings;
  if (take.status == TakeStatus::Failed) object[QStringLiteral("cause")] = Text(take.cause);
  if (retake_ && take.status == TakeStatus::Failed) {
    // A retake that failed left the old take in place: its entry stays, the failure is the retake's.
    QJsonArray failed = retakeRun_[QStringLiteral("failedTakes")].toArray();
    failed.append(object);
    retakeRun_[QStringLiteral("failedTakes")] = failed;
    return;
  }
  if (retake_) {
    object[QStringLiteral("retaken")] = true;
    for (qsizetype i = takes_.size() - 1; i >= 0; --i) {
      if (takes_.at(i).toObject()[QStringLiteral("file")] == object[QStringLiteral("file")]) takes_.removeAt(i);
    }
  }
  takes_.append(object);
  Journal(QStringLiteral("takes"), object);
}

void RunReport::Journal(const QString& list, const QJsonObject& item) {
  if (journal_.Add(list, item)) {
    writeError_.clear();
  } else {
    writeError_ = journal_.Error();
  }
}

void RunReport::RunFinished(const RunResult& result) {
  if (report_.isEmpty()) {
    // The run was refused before it began: it wrote no report, and names none.
    path_.clear();
    writeError_.clear();
    return;
  }
  QJsonObject summary;
  summary[QStringLiteral("saved")] = static_cast<double>(result.takesSaved);
  summary[QStringLiteral("clipped")] = static_cast<double>(result.takesClipped);
  summary[QStringLiteral("silent")] = static_cast<double>(result.takesSilent);
  summary[QStringLiteral("failed")] = static_cast<double>(result.takesFailed);
  summary[QStringLiteral("withWarnings")] = static_cast<double>(result.warnings);
  if (retake_) {
    FinishRetake(summary, result);
  } else {
    report_[QStringLiteral("finished")] = Now();
    report_[QStringLiteral("outcome")] = QLatin1String(OutcomeName(result.outcome));
    report_[QStringLiteral("summary")] = summary;
    if (!result.message.empty()) report_[QStringLiteral("message")] = Text(result.message);
  }
  if (instrumentCheck_ && !instrumentCheck_().empty()) {
    QJsonArray lines;
    for (const QString& line : Text(instrumentCheck_()).split(QLatin1Char('\n'))) lines.append(line);
    report_[QStringLiteral("instrumentCheck")] = lines;
  }
  // The journal goes only once the whole report is in place: until then it is the report.
  if (Write()) journal_.Remove();
  report_ = {};
}

// The run's own figures stay those of the run that made the folder; the retake adds its own.
void RunReport::FinishRetake(const QJsonObject& summary, const RunResult& result) {
  retakeRun_[QStringLiteral("finished")] = Now();
  retakeRun_[QStringLiteral("outcome")] = QLatin1String(OutcomeName(result.outcome));
  retakeRun_[QStringLiteral("summary")] = summary;
  if (!result.message.empty()) retakeRun_[QStringLiteral("message")] = Text(result.message);
  QJsonArray runs = report_[QStringLiteral("retakeRuns")].toArray();
  runs.append(retakeRun_);
  report_[QStringLiteral("retakeRuns")] = runs;
}

QJsonObject RunReport::Whole() const {
  QJsonObject whole = report_;
  whole[QStringLiteral("levelChecks")] = checks_;
  whole[QStringLiteral("takes")] = takes_;
  return whole;
}

bool RunReport::Write() {
  const QByteArray text = QJsonDocument(Whole()).toJson();
  try {
    quendal::WriteFileAtomically(PathFromUtf8(path_.toStdString()),
                                 std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
  } catch (const std::exception& error) {
    writeError_ = QString::fromStdString(error.what());
    return false;
  }
  writeError_.clear();
  return true;
}

}  // namespace ntr::session
