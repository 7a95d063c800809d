// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One unattended sampling run: the engine and the real devices as the window
// wires them (MIDI_MOD with the built-in synthesizer, the recorders,
// VOLUME_MOD), the events generated as the window generates them when it
// opens, progress on the terminal, Ctrl-C and SIGTERM as STOP.
// Runs on the calling thread; made and used after the QCoreApplication.

#include <cstdio>
#include <string>

#include "batch/progress_view.h"
#include "batch/stop_signals.h"
#include "devices/device_layer.h"
#include "devices/mixer/volume_mod.h"
#include "engine/run/run_controller.h"
#include "engine/run/steady_clock.h"
#include "session/run_report.h"
#include "session/sampling_session.h"
#include "session/session_settings.h"

namespace ntr::batch {

// The engine's messages as lines on stderr (between redraws of the bar).
class TerminalMessages : public MessagePort {
 public:
  // force: the answer to the run's questions (nobody is there to give another).
  TerminalMessages(ProgressView& view, bool force) : view_(view), force_(force) {}
  void ShowMessage(const std::string& title, const std::string& text, MessageIcon icon) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;

 private:
  ProgressView& view_;
  bool force_;
};

class BatchRun {
 public:
  // force: start even when the disk looks too full for the run.
  BatchRun(const session::SessionSettings& settings, bool force);
  BatchRun(const BatchRun&) = delete;
  BatchRun& operator=(const BatchRun&) = delete;

  // Checks what can be checked before the first note (events to play, the
  // MIDI device, the audio input), makes the run and returns the exit status.
  // Throws BatchError for what stops the run before it begins.
  int Run();

 private:
  void Prepare();
  void CheckDevices();
  void ApplyRecordingLevels();
  void PrintPlan();
  void OnYield();
  int Finish(const RunResult& result);
  std::string RecordingSource();

  session::SessionSettings settings_;
  StopSignals signals_;
  SteadyClock clock_;
  ProgressView view_;
  TerminalMessages messages_;
  DeviceLayer devices_;
  VOLUME_MOD mixer_;
  session::SamplingSession session_;
  RunController& controller_;
  PlainRunSettings runSettings_;  // the settings as the run reads them, once generated
  std::string deviceCaption_;  // the "MIDI Devices" entry of the run
  bool stopAnnounced_ = false;
  int signalsSeen_ = 0;
};

}  // namespace ntr::batch
