// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Records takes of an instrument's folder again, as the take browser asks:
// each through a run of its own event list and run controller (the same
// level check, finishing and atomic replace as any run), with the front
// end's settings of the moment but for the folder, the takes' own note,
// velocity and round, and no take skipped as already made. The folder's
// report keeps every other take and marks these "retaken"; the instrument
// files the folder holds are written again. A take whose recording fails
// keeps its old file: a new take replaces it only once it is complete.
//
// The devices are lent by the front end's creator and shared with its run:
// the retaker refuses while that run is active, and the front end refuses
// START while a retake is (Active()). One thread: the user-interface thread.

#include <functional>
#include <string>
#include <vector>

#include "engine/ports.h"
#include "engine/run/run_state.h"
#include "session/run_report.h"
#include "session/session_settings.h"
#include "session/take_list.h"

namespace ntr::session {

struct RetakePorts {
  MidiOutputPort& midi;
  RecorderPort& recorder;
  ClockPort& clock;
  MessagePort& messages;
};

struct RetakeResult {
  bool refused = false;         // nothing was recorded (see message)
  std::vector<RunResult> runs;  // one per program retaken
  std::string message;          // one line for the user
};

class TakeRetaker {
 public:
  // settings: the front end's settings of the moment; runActive: whether the
  // front end's own run holds the devices.
  TakeRetaker(const RetakePorts& ports, std::function<SessionSettings()> settings, std::function<RunDevices()> devices,
              std::function<bool()> runActive);

  // Whether a retake may start now: no run and no other retake active.
  bool Available() const { return !active_ && !runActive_(); }
  bool Active() const { return active_; }

  // Records `takes` (entries of ListTakeFolder(folder)) again, program by program.
  RetakeResult Retake(const std::string& folder, const std::vector<TakeEntry>& takes);

 private:
  RetakePorts ports_;
  std::function<SessionSettings()> settings_;
  std::function<RunDevices()> devices_;
  std::function<bool()> runActive_;
  bool active_ = false;
};

}  // namespace ntr::session
