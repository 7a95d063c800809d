// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/instrument_files_after_run.h"

#include "engine/run/plural.h"
#include "instrument/instrument_check.h"
#include "instrument/instrument_files.h"

namespace ntr::session {

InstrumentFilesAfterRun::InstrumentFilesAfterRun(std::function<SessionSettings()> settings)
    : settings_(std::move(settings)) {}

void InstrumentFilesAfterRun::RunStarted(const RunStart& start) {
  options_ = settings_().options;
  wanted_ = options_.writeInstrumentFiles;
  check_.clear();
  instrumentPath_ = start.instrumentPath;
  where_.clear();
}

void InstrumentFilesAfterRun::RunFinished(const RunResult& /*result*/) {
  // RunStarted comes only for a run that got past its checks and played; a
  // run refused before that leaves wanted_ false (reset at every run's end).
  const InstrumentFilesNote note =
      wanted_ ? WriteInstrumentFilesOf(instrumentPath_, options_) : InstrumentFilesNote{};
  where_ = note.text;
  wanted_ = false;
  if (!note.written) return;
  try {
    const instrument::InstrumentCheck check = instrument::CheckInstrument(instrumentPath_);
    check_ = check.summary;
    for (const std::string& problem : check.problems) check_ += "\n" + problem;
  } catch (const std::exception& error) {
    check_ = std::string("Instrument check not made: ") + error.what();
  }
  where_ += ".\n" + check_.substr(0, check_.find('\n'));
}

instrument::InstrumentFileOptions InstrumentFileOptionsOf(const RunOptions& options) {
  instrument::InstrumentFileOptions files;
  files.normalize = options.normalize == "instrument";
  files.playMode = options.playMode == "one-shot" ? instrument::PlayMode::OneShot : instrument::PlayMode::Sustain;
  return files;
}

InstrumentFilesNote WriteInstrumentFilesOf(const std::string& instrumentFolder, const RunOptions& options) {
  try {
    const instrument::InstrumentFiles files =
        instrument::MakeInstrumentFiles(instrumentFolder, InstrumentFileOptionsOf(options));
    std::string text = "Instrument files: " + std::to_string(files.written.size()) + " written in " +
                       instrumentFolder + " (" + Plural(files.programs, "program") + ", " +
                       Plural(files.takes, "take") + ")";
    if (!files.warnings.empty()) {
      text += "; left out: " + files.warnings.front() +
              (files.warnings.size() > 1 ? " and " + std::to_string(files.warnings.size() - 1) + " more" : "");
    }
    return {true, text};
  } catch (const std::exception& error) {
    return {false, std::string("Instrument files not written: ") + error.what()};
  }
}

}  // namespace ntr::session
