// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a run checks and prepares before its first note: the audio input, the
// folders, the temporary takes a killed run left, the takes already made, the
// free space (asked through MessagePort when short) and the MIDI output. The
// result is a plan to play, or the one reason the run is refused; a refusal
// has played nothing, and the run controller says it and ends the run.
// Runs on the run's thread, at START.

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/events/event_list.h"
#include "engine/events/program_slots.h"
#include "engine/ports.h"
#include "engine/run/fast_run.h"
#include "engine/run/run_settings.h"
#include "engine/run/run_state.h"
#include "engine/run/work_left.h"

namespace ntr {

// What a run fixes when it starts: a list regenerated or settings changed
// while it is suspended do not change where its files go or which programs it
// visits (their folders were made at the start).
struct RunPlan {
  std::string saveFolder;
  std::string instrumentPath;
  bool singlePass = true;
  ProgramSlots programSlots;
  std::vector<std::string> programTags;  // the folders the run needs
  double pauseAfterProgramChange = 0.0;  // seconds
  std::set<std::string> alreadyMade;     // targets whose finished take is skipped
  WorkLeft work;                         // what is left to make
  double overheadLeftSeconds = 0.0;      // level checks, pauses and finishing of what is left
  int leftoversRemoved = 0;              // temporary takes of killed runs removed
  std::unique_ptr<FastRun> fastRun;      // held for the whole run: back to real time at its end
};

// Why a run did not start. `message` is the run's result message; unless the
// user already answered a question that said it, it is shown once, with
// `title` and `icon`.
struct RunRefusal {
  RunOutcome outcome = RunOutcome::FoldersFailed;
  std::string message;
  std::string title;
  MessageIcon icon = MessageIcon::Critical;
  bool alreadySaid = false;
};

// A refused run's plan holds what was done before the refusal (the leftovers
// removed, the fast run to end).
struct PlannedRun {
  RunPlan plan;
  std::optional<RunRefusal> refusal;
};

// The devices a plan opens; all are the run controller's.
struct PlanPorts {
  MidiOutputPort& midi;
  RecorderPort& recorder;
  MessagePort& messages;
  EventCapture& capture;
  ClockPort& realTime;
};

// `options` and `embedNote` as read at START. On success the MIDI output is
// open (the run closes it at its end).
PlannedRun PlanRun(const RunSettingsSource& settings, const EventList& events, const RunOptions& options,
                   bool embedNote, const PlanPorts& ports);

}  // namespace ntr
