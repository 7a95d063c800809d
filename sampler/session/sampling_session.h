// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a front end (the window, the batch mode) samples with: the event list,
// the run controller reading the front end's settings, the observers of the
// run (its report among them) and the recording levels. The session owns the
// list, the controller and the report; the devices are the front end's creator's, lent through
// SessionPorts, and must outlive the session. One thread: the one that runs
// the sampling (the user-interface thread in the window).

#include <functional>

#include "engine/events/event_list.h"
#include "engine/ports.h"
#include "engine/run/run_controller.h"
#include "session/instrument_files_after_run.h"
#include "session/run_report.h"
#include "session/run_setup.h"
#include "session/session_settings.h"
#include "session/sleep_inhibitor.h"

namespace ntr::session {

struct SessionPorts {
  MidiOutputPort& midi;
  RecorderPort& recorder;
  ClockPort& clock;
  MessagePort& messages;
  MixerPort& mixer;
};

class SamplingSession {
 public:
  // settings: the front end's settings of the moment; asked when events are
  // generated, when START is clicked and at every event (the format).
  // devices: how the front end names the run's devices, for its report.
  // warn: one line for the user that is no reason to stop (stderr by default).
  SamplingSession(const SessionPorts& ports, std::function<SessionSettings()> settings,
                  std::function<RunDevices()> devices, SleepInhibitor::Warn warn = {});
  ~SamplingSession();
  SamplingSession(const SamplingSession&) = delete;
  SamplingSession& operator=(const SamplingSession&) = delete;

  EventList& Events() { return events_; }
  const EventList& Events() const { return events_; }
  RunController& Controller() { return controller_; }
  const RunController& Controller() const { return controller_; }

  // "Generate Events" (clearFirst) or "Add Events" from the settings' fields.
  // Returns the fields as generation normalised them (a velocity that is not
  // a number becomes "127", ...), for the front end to show and keep.
  StoredSettings GenerateEvents(bool clearFirst);

  // Sets each recording level from its knob (the mixer must be open).
  void ApplyLevels(const StoredSettings& fields);

  // The report of the last run that played (see RunReport::Where).
  const RunReport& Report() const { return report_; }

  // What the last run's instrument files are (Instrument/WriteInstrumentFiles); "" when none were asked for.
  const std::string& InstrumentFilesWhere() const { return instrumentFiles_.Where(); }
  const std::string& InstrumentCheck() const { return instrumentFiles_.Check(); }

 private:
  SessionPorts ports_;
  std::function<SessionSettings()> settings_;
  LiveRunSettings runSettings_;
  EventList events_;
  RunController controller_;
  RunReport report_;                         // before the front ends' observers: a take a front end shows is in the report already
  SleepInhibitor sleepInhibitor_;            // held while a run is active
  InstrumentFilesAfterRun instrumentFiles_;  // ahead of the front ends' observers
};

}  // namespace ntr::session
