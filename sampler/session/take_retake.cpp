// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/take_retake.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "engine/events/event_list.h"
#include "engine/run/run_controller.h"
#include "engine/takes/sample_paths.h"
#include "session/instrument_files_after_run.h"
#include "session/run_setup.h"

namespace ntr::session {

namespace {

namespace fs = std::filesystem;

bool HoldsInstrumentFiles(const fs::path& folder) {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    std::string extension = Utf8FromPath(entry.path().extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".sfz" || extension == ".dspreset" || extension == ".sf2") return true;
  }
  return false;
}

// The folder as save folder and instrument name; a folder whose name the
// run would spell otherwise (blanks) is used as the save folder itself.
SessionSettings RetakeSettings(SessionSettings settings, const std::string& folder) {
  fs::path path = PathFromUtf8(folder).lexically_normal();
  if (path.filename().empty()) path = path.parent_path();
  const std::string name = Utf8FromPath(path.filename());
  const std::string parent = Utf8FromPath(path.parent_path());
  const bool spelledAlike = InstrumentPath(parent, name) == Utf8FromPath(path);
  settings.stored.folder = QString::fromStdString(spelledAlike ? parent : Utf8FromPath(path));
  settings.stored.gear = spelledAlike ? QString::fromStdString(name) : QString();
  settings.options.skipTakesAlreadyMade = false;
  settings.options.writeInstrumentFiles = HoldsInstrumentFiles(path);
  return settings;
}

// The row that makes `take` again: its note, velocity and round as its name
// (or its report) gives them, held and decayed as the settings say.
EventRow RetakeRow(const TakeEntry& take, const SessionSettings& settings) {
  EventRow row;
  row.Note = take.noteName;
  row.Number = std::to_string(take.note);
  row.Chn = settings.stored.channel.toStdString();
  row.Time = settings.stored.duration.toStdString();
  row.Decay = settings.stored.decay.toStdString();
  row.Vel = take.velocity ? std::to_string(*take.velocity) : settings.stored.velocity.toStdString();
  row.OwnVelocity = take.velocity.has_value();
  const std::string fileName = Utf8FromPath(PathFromUtf8(take.file).filename());
  // A name without "_V" or "_R" has neither; "_R1" and no round read alike,
  // so the round is the one whose name is the take's.
  for (const bool suffixed : {true, false}) {
    for (const int round : {take.round, 0}) {
      row.Suffixed = suffixed;
      row.Round = round;
      if ("PATCH" + take.programTag + "_" + TakeName(row) + ".WAV" == fileName) return row;
    }
  }
  row.Suffixed = false;
  row.Round = 0;
  return row;
}

struct Retaking {
  explicit Retaking(bool& active) : active_(active) { active_ = true; }
  ~Retaking() { active_ = false; }
  Retaking(const Retaking&) = delete;
  Retaking& operator=(const Retaking&) = delete;

 private:
  bool& active_;
};

}  // namespace

TakeRetaker::TakeRetaker(const RetakePorts& ports, std::function<SessionSettings()> settings,
                         std::function<RunDevices()> devices, std::function<bool()> runActive)
    : ports_(ports), settings_(std::move(settings)), devices_(std::move(devices)), runActive_(std::move(runActive)) {}

RetakeResult TakeRetaker::Retake(const std::string& folder, const std::vector<TakeEntry>& takes) {
  RetakeResult result;
  if (!Available()) {
    result.refused = true;
    result.message = "A run is active: takes are retaken when it has ended.";
    return result;
  }
  if (takes.empty()) {
    result.refused = true;
    result.message = "No take is selected.";
    return result;
  }
  const Retaking retaking(active_);
  const SessionSettings settings = RetakeSettings(settings_(), folder);
  std::map<std::string, std::vector<const TakeEntry*>> byProgram;
  for (const TakeEntry& take : takes) byProgram[take.programTag].push_back(&take);

  RunResult total;
  for (const auto& [tag, programTakes] : byProgram) {
    SessionSettings programSettings = settings;
    programSettings.stored.programs =
        tag == kSinglePassTag ? QString() : QString::number(QString::fromStdString(tag).toInt());
    const LiveRunSettings runSettings([&programSettings] { return programSettings; });
    EventList events;
    EventSelection selection;  // no note: only the program list, for its slots
    selection.programList = programSettings.stored.programs.toStdString();
    events.GenerateEvents(selection, true);
    for (const TakeEntry* take : programTakes) events.AppendRow(RetakeRow(*take, programSettings));

    RunController controller(events, runSettings, ports_.midi, ports_.recorder, ports_.clock, ports_.messages);
    const std::function<SessionSettings()> current = [&programSettings] { return programSettings; };
    InstrumentFilesAfterRun instrumentFiles(current);
    RunReport report(current, devices_);
    report.SetRetake(true);
    report.SetInstrumentCheck([&instrumentFiles] { return instrumentFiles.Check(); });
    controller.AddObserver(&instrumentFiles);
    controller.AddObserver(&report);
    controller.StartOrSuspend();
    const RunResult run = controller.LastResult().value_or(RunResult{});
    result.runs.push_back(run);
    total.takesSaved += run.takesSaved;
    total.takesClipped += run.takesClipped;
    total.takesSilent += run.takesSilent;
    total.takesFailed += run.takesFailed;
    total.warnings += run.warnings;
    total.failedTakes.insert(total.failedTakes.end(), run.failedTakes.begin(), run.failedTakes.end());
    if (run.outcome != RunOutcome::Completed) {
      result.message = run.message.empty() ? RunSummary(run) : run.message;
      return result;
    }
  }
  result.message = "Retaken: " + RunSummary(total);
  return result;
}

}  // namespace ntr::session
