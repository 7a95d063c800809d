// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Instrument/WriteInstrumentFiles: after a run that played, the instrument
// files (SFZ, DecentSampler, SoundFont 2) of its instrument's folder are
// written from every take in it, then played and checked
// (instrument/instrument_check.h). The session attaches one to its controller
// ahead of the front ends' observers, so their end-of-run messages can say
// what it wrote. Runs on the run's thread.

#include <functional>
#include <string>

#include "engine/run/run_state.h"
#include "instrument/instrument_files.h"
#include "session/session_settings.h"

namespace ntr::session {

class InstrumentFilesAfterRun : public RunObserver {
 public:
  explicit InstrumentFilesAfterRun(std::function<SessionSettings()> settings);

  void RunStarted(const RunStart& start) override;
  void RunFinished(const RunResult& result) override;

  // "Instrument files: 3 written in <folder>", or why none were, and the
  // instrument check's summary; "" when the last run wrote none because the
  // setting was off (or before any run).
  const std::string& Where() const { return where_; }
  // The check of the files the last run wrote: its summary and its problems; "" when none was made.
  const std::string& Check() const { return check_; }

 private:
  std::function<SessionSettings()> settings_;
  bool wanted_ = false;  // the setting as the run started
  RunOptions options_;   // the options as the run started
  std::string instrumentPath_;
  std::string where_;
  std::string check_;
};

// What the instrument files take from a run's options (PlayMode, Normalize).
instrument::InstrumentFileOptions InstrumentFileOptionsOf(const RunOptions& options);

struct InstrumentFilesNote {
  bool written = false;
  std::string text;  // what was written, or why nothing was
};

// Writes the instrument files of a folder and says how it went (for the
// window's File menu and after a run).
// The options' PlayMode and Normalize say how the regions play and their gain.
InstrumentFilesNote WriteInstrumentFilesOf(const std::string& instrumentFolder, const RunOptions& options);

}  // namespace ntr::session
