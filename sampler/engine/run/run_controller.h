// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sampling run: START/SUSPEND, STOP and RESUME, and the run itself, which
// goes through the event list once (no program list) or once per program slot,
// capturing one event per row.
//
// Threading: one thread, the user-interface thread. StartOrSuspend() in its
// START role returns only when the run has ended; while it runs, the clock's
// Yield/WaitUntil let the window handle clicks, so StartOrSuspend (as
// SUSPEND), Stop and Resume arrive re-entrantly. They only set requests that
// the run reads between events: an event that has started is always played,
// recorded and saved before a suspension or a stop takes effect.
//
// The window shows State() through ControlsFor() and Progress() through its
// progress panel, and follows both through RunObserver.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/events/event_list.h"
#include "engine/events/program_slots.h"
#include "engine/ports.h"
#include "engine/run/run_plan.h"
#include "engine/run/run_settings.h"
#include "engine/run/run_state.h"
#include "engine/takes/event_capture.h"

namespace ntr {

class RunController {
 public:
  // Every reference must outlive the controller.
  RunController(EventList& events, const RunSettingsSource& settings, MidiOutputPort& midi, RecorderPort& recorder,
                ClockPort& clock, MessagePort& messages);

  // Observers are not owned; remove one before destroying it.
  void AddObserver(RunObserver* observer);
  void RemoveObserver(RunObserver* observer);

  // "Generate Events" (clearFirst true) / "Add Events" (false): builds the list
  // (see EventList) and shows the estimate with the title "Extimated".
  void GenerateEvents(EventSelection& selection, bool clearFirst);

  enum class StartResult {
    RunEnded,          // START: a run was made and has ended (see LastResult)
    SuspendRequested,  // SUSPEND: the run waits after its current event
    Refused,           // nothing done: a stopped run is still finishing its
                       // event, or the run is already suspended
  };
  // The cbStart button: START when Idle, SUSPEND while a run is active.
  StartResult StartOrSuspend();
  // The cbStop button: ends the run after its current event; from Suspended
  // at once. Does nothing when no run is active.
  void Stop();
  // The cbResume button: continues a suspended run. Does nothing otherwise.
  void Resume();

  RunState State() const;
  RunControls Controls() const { return ControlsFor(State()); }
  // A run is on the stack (also while a stopped run finishes its event): the
  // window refuses to close.
  bool RunActive() const { return runActive_; }
  const RunProgress& Progress() const { return progress_; }
  // The result of the last run, if any.
  const std::optional<RunResult>& LastResult() const { return lastResult_; }

  // How often a suspended run looks for RESUME or STOP, in seconds.
  static constexpr double kSuspendPollSeconds = 0.02;
  // Silent takes in a row after which the last note that sounded is played again.
  static constexpr int kSilentTakesBeforeRecheck = 8;
  // A take recorded at least this long after its note off hands its tail on
  // to the next take (see AfterTake).
  static constexpr double kCarriedTailMinimumSeconds = 0.1;

 private:
  enum class PassEnd { Finished, Stopped, Failed, Silent, Cancelled };

  RunResult RunSampling();
  RunResult Refuse(const RunRefusal& refusal);
  void AnnounceStart(const RunPlan& plan);
  PassEnd PlayPrograms(const RunPlan& plan);
  PassEnd RunPass(const RunPlan& plan, const std::string& programTag);
  PassEnd CheckProgram(const RunPlan& plan, const std::string& programTag);
  PassEnd AfterTake(const RunPlan& plan, const std::string& programTag, SavedTake& saved, int note,
                    double decaySeconds);
  bool StillSounds(const RunPlan& plan, const std::string& programTag);
  std::string ProbeFile(const RunPlan& plan, const std::string& programTag) const;
  RunResult Result(RunOutcome outcome, std::string message) const;
  void SuspensionCheck();
  void PerformStop(bool announceState);
  void ReportEventFailure(const CaptureError& error, const std::string& note, const std::string& programTag);
  double RefreshElapsed();
  void ShowEstimate(double elapsed, std::int64_t done, std::int64_t total);
  std::int64_t EventsTotal(const RunPlan& plan) const;
  void SetRunRow(std::size_t row);
  void NotifyState();
  void NotifyProgress();
  template <typename Call>
  void ForEachObserver(Call call);

  EventList& events_;
  const RunSettingsSource& settings_;
  MidiOutputPort& midi_;
  RecorderPort& recorder_;
  ClockPort& clock_;
  MessagePort& messages_;
  EventCapture capture_;
  std::vector<RunObserver*> observers_;

  // The run's requests and where it is.
  bool suspendRequested_ = false;
  bool stopRequested_ = true;  // also true whenever no run is active
  bool runActive_ = false;
  bool waitingSuspended_ = false;
  bool embedNote_ = false;
  int runChannel_ = 0;  // the window's channel and velocity, fixed at START
  int runVelocity_ = 127;
  RunOptions options_;  // read at START

  // The level check of the program being sampled.
  double noiseFloorDbfs_ = kSilenceFloorDbfs;
  // What the input held before the next note on: the tail of the take (or
  // test note) before it; a take must rise above it to count as sounding.
  double carriedDbfs_ = kSilenceFloorDbfs;
  std::optional<int> lastSoundingNote_;
  std::optional<int> testNote_;  // the level check's test note that sounded
  int silentInRow_ = 0;

  double runStartTime_ = 0.0;
  std::size_t runRow_ = 0;
  std::int64_t doneCount_ = 0;
  std::int64_t takesSaved_ = 0;
  std::int64_t takesClipped_ = 0;
  std::int64_t takesSilent_ = 0;
  std::int64_t takesFailed_ = 0;
  std::int64_t takesWithWarnings_ = 0;
  int leftoversRemoved_ = 0;              // temporary takes of killed runs removed at START
  std::vector<std::string> failedTakes_;  // takes that failed while the run went on
  std::string failureMessage_;

  RunProgress progress_;
  std::string estimateTag_;  // the pre-run estimate, put back by STOP
  std::optional<RunState> notifiedState_;
  std::optional<RunProgress> notifiedProgress_;
  std::optional<RunResult> lastResult_;
};

// The running estimate: elapsed x total / done, in whole seconds (halves to
// even); no value while nothing is done. Wide enough for any run.
std::optional<std::int64_t> ProjectedRunSeconds(double elapsed, std::int64_t done, std::int64_t total);

// The run's channel (0..15) from the window's text: a channel that is not
// 1..16 is pulled into that range (not a number: channel 1). The run's
// velocity comes from VelocityOf.
int RunChannel(const std::string& text);

}  // namespace ntr
