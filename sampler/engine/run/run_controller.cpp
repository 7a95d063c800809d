// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/run_controller.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "engine/events/note_names.h"
#include "engine/events/take_layers.h"
#include "engine/events/text_numbers.h"
#include "engine/run/format_seconds.h"
#include "engine/run/level_check.h"
#include "engine/run/run_estimate.h"
#include "engine/run/work_left.h"
#include "engine/takes/sample_paths.h"

namespace ntr {

namespace {

// " on program 005" for messages; nothing for a run without program changes.
std::string OnProgram(const std::string& programTag) {
  return programTag == kSinglePassTag ? std::string() : " on program " + programTag;
}

SavedTake TakeOf(std::size_t row, const EventRow& event, int velocity, const std::string& programTag,
                 const std::string& file) {
  SavedTake take;
  take.row = row;
  take.note = event.Note;
  take.velocity = velocity;
  take.round = std::max(event.Round, 1);
  take.programTag = programTag;
  take.file = file;
  return take;
}

std::int64_t WholeSeconds(double seconds) {
  return static_cast<std::int64_t>(std::clamp(RoundHalfEven(seconds), -9.0e18, 9.0e18));
}

// The takes may keep the recording device open from one to the next: every
// way out of a run that played, failed ones too, releases it.
class ReleaseRecorderAtEnd {
 public:
  explicit ReleaseRecorderAtEnd(RecorderPort& recorder) : recorder_(recorder) {}
  ~ReleaseRecorderAtEnd() { recorder_.EndOfRun(); }
  ReleaseRecorderAtEnd(const ReleaseRecorderAtEnd&) = delete;
  ReleaseRecorderAtEnd& operator=(const ReleaseRecorderAtEnd&) = delete;

 private:
  RecorderPort& recorder_;
};

}  // namespace

std::optional<std::int64_t> ProjectedRunSeconds(double elapsed, std::int64_t done, std::int64_t total) {
  if (done <= 0) return std::nullopt;
  const double percentDone = (static_cast<double>(done) / static_cast<double>(total)) * 100.0;
  return WholeSeconds((elapsed / percentDone) * 100.0);
}

int RunChannel(const std::string& text) {
  std::string channel = text;
  return static_cast<int>(NormaliseNumberField(channel, "1", 1, 16)) - 1;
}

RunController::RunController(EventList& events, const RunSettingsSource& settings, MidiOutputPort& midi,
                             RecorderPort& recorder, ClockPort& clock, MessagePort& messages)
    : events_(events),
      settings_(settings),
      midi_(midi),
      recorder_(recorder),
      clock_(clock),
      messages_(messages),
      capture_(midi, recorder, clock) {}

void RunController::AddObserver(RunObserver* observer) {
  if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
}

void RunController::RemoveObserver(RunObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

template <typename Call>
void RunController::ForEachObserver(Call call) {
  const std::vector<RunObserver*> observers = observers_;  // an observer may remove itself
  for (RunObserver* observer : observers) call(*observer);
}

RunState RunController::State() const {
  if (!runActive_) return RunState::Idle;
  if (stopRequested_) return RunState::StopRequested;
  if (suspendRequested_) return waitingSuspended_ ? RunState::Suspended : RunState::SuspendRequested;
  return RunState::Running;
}

void RunController::NotifyState() {
  const RunState state = State();
  if (notifiedState_ == state) return;
  notifiedState_ = state;
  ForEachObserver([state](RunObserver& o) { o.RunStateChanged(state); });
}

void RunController::NotifyProgress() {
  if (notifiedProgress_ == progress_) return;
  notifiedProgress_ = progress_;
  const RunProgress progress = progress_;
  ForEachObserver([&progress](RunObserver& o) { o.RunProgressChanged(progress); });
}

void RunController::SetRunRow(std::size_t row) {
  runRow_ = row;
  ForEachObserver([row](RunObserver& o) { o.RunRowChanged(row); });
}

void RunController::GenerateEvents(EventSelection& selection, bool clearFirst) {
  events_.GenerateEvents(selection, clearFirst);
  // The notes and decays, then what the run spends around them.
  const RunShape shape{events_.Rows(), events_.Slots().PatchCount, !IsProgramListEmpty(selection.programList),
                       settings_.Format(), settings_.EmbedNote()};
  const std::int64_t notesMillis =
      EstimatedRunMillis(selection.duration, selection.decay, events_.RowCount(), events_.Slots().PatchCount);
  progress_.estimate = FormatSeconds(
      WholeSeconds(static_cast<double>(notesMillis) / 1000.0 + RunOverheadSeconds(shape, settings_.Options())));
  progress_.estimateTitle = kEstimatedTitle;
  NotifyProgress();
}

RunController::StartResult RunController::StartOrSuspend() {
  switch (State()) {
    case RunState::Running:
    case RunState::SuspendRequested:
      suspendRequested_ = true;
      NotifyState();
      return StartResult::SuspendRequested;
    case RunState::Suspended:
    case RunState::StopRequested:
      // A second run inside the first would share its devices: refused until
      // the stopped run has returned.
      return StartResult::Refused;
    case RunState::Idle: break;
  }

  estimateTag_ = progress_.estimate;
  suspendRequested_ = false;
  stopRequested_ = false;
  embedNote_ = settings_.EmbedNote();
  options_ = settings_.Options();
  runActive_ = true;
  NotifyState();

  RunResult result;
  try {
    result = RunSampling();
  } catch (const std::exception& error) {
    // Nothing below is expected to throw; if it does, the window must not be
    // left in a run that no longer exists.
    result = Result(RunOutcome::EventFailed, std::string("Sampling stopped: ") + error.what());
    messages_.ShowMessage(kAppTitle, result.message, MessageIcon::Critical);
    stopRequested_ = true;
    PerformStop(false);
  }
  progress_.elapsed.clear();
  progress_.nowPlaying.clear();
  NotifyProgress();
  runActive_ = false;
  waitingSuspended_ = false;
  NotifyState();
  lastResult_ = result;
  ForEachObserver([&result](RunObserver& o) { o.RunFinished(result); });
  return StartResult::RunEnded;
}

void RunController::Stop() {
  if (!runActive_) return;
  PerformStop(true);
}

void RunController::Resume() {
  if (State() != RunState::Suspended) return;
  suspendRequested_ = false;
  NotifyState();
}

// The STOP button's steps, also taken by the run at its end. There the state
// is left for StartOrSuspend to announce (Running -> Idle), so the window
// does not flash "Stop requested" at the end of every run.
void RunController::PerformStop(bool announceState) {
  suspendRequested_ = false;
  stopRequested_ = true;
  progress_.estimate = estimateTag_;
  progress_.elapsed.clear();
  progress_.nowPlaying.clear();
  if (announceState) NotifyState();
  NotifyProgress();
}

RunResult RunController::RunSampling() {
  runStartTime_ = clock_.Now();
  doneCount_ = 0;
  takesSaved_ = 0;
  takesClipped_ = 0;
  takesSilent_ = 0;
  takesFailed_ = 0;
  takesWithWarnings_ = 0;
  failedTakes_.clear();
  failureMessage_.clear();

  // The plan lives as long as the run: a fast run returns to real time with it.
  const PlannedRun planned =
      PlanRun(settings_, events_, options_, embedNote_, {midi_, recorder_, messages_, capture_, clock_});
  const RunPlan& plan = planned.plan;
  leftoversRemoved_ = plan.leftoversRemoved;
  if (planned.refusal) return Refuse(*planned.refusal);
  const ReleaseRecorderAtEnd releaseRecorder(recorder_);
  AnnounceStart(plan);
  const PassEnd end = PlayPrograms(plan);

  // The end of every run that played: close the output, rewind, return to idle.
  progress_.nowPlaying.clear();
  NotifyProgress();
  midi_.CloseMidiOutput();
  SetRunRow(0);
  const bool stoppedByUser = stopRequested_;
  stopRequested_ = true;
  PerformStop(false);

  switch (end) {
    case PassEnd::Failed: return Result(RunOutcome::EventFailed, failureMessage_);
    case PassEnd::Silent: return Result(RunOutcome::InstrumentSilent, failureMessage_);
    case PassEnd::Cancelled: return Result(RunOutcome::CheckCancelled, failureMessage_);
    case PassEnd::Finished:
    case PassEnd::Stopped: break;
  }
  return Result(stoppedByUser ? RunOutcome::Stopped : RunOutcome::Completed, {});
}

// What stops a run before anything was played: said once, and the run ended.
RunResult RunController::Refuse(const RunRefusal& refusal) {
  if (!refusal.alreadySaid) messages_.ShowMessage(refusal.title, refusal.message, refusal.icon);
  stopRequested_ = true;
  PerformStop(false);
  return Result(refusal.outcome, refusal.message);
}

void RunController::AnnounceStart(const RunPlan& plan) {
  progress_.eventsDone = 0;
  progress_.eventsSkipped = static_cast<std::int64_t>(plan.alreadyMade.size());
  progress_.eventsTotal = EventsTotal(plan);
  // With takes skipped, "Extimated" counts only what is left to make.
  if (!plan.alreadyMade.empty()) {
    progress_.estimate = FormatSeconds(WholeSeconds(plan.work.seconds + plan.overheadLeftSeconds));
  }
  NotifyProgress();
  const RunStart start{plan.instrumentPath, progress_.eventsTotal, progress_.eventsSkipped, leftoversRemoved_};
  ForEachObserver([&start](RunObserver& o) { o.RunStarted(start); });
}

// Each program of the plan in turn (or the single pass): its level check, then its takes.
RunController::PassEnd RunController::PlayPrograms(const RunPlan& plan) {
  const RunEvents runEvents{events_.Rows(), plan.programTags, plan.instrumentPath, settings_.Format(), embedNote_};
  PassEnd end = PassEnd::Finished;
  try {
    runChannel_ = RunChannel(settings_.ChannelText());
    runVelocity_ = VelocityOf(settings_.VelocityText());
    midi_.SetChannelAndVelocity(runChannel_, runVelocity_);
    if (plan.singlePass) {
      // A pass whose every take is already made plays nothing, test notes neither.
      if (!plan.alreadyMade.empty() && !HasTakesLeft(runEvents, std::string(kSinglePassTag), plan.alreadyMade)) {
        return end;
      }
      end = CheckProgram(plan, std::string(kSinglePassTag));
      if (end == PassEnd::Finished && !stopRequested_) end = RunPass(plan, std::string(kSinglePassTag));
      return end;
    }
    for (const int program : plan.programSlots.PatchSlots) {
      // A program whose every take is already made is not visited.
      if (program != kEmptySlot &&
          (plan.alreadyMade.empty() || HasTakesLeft(runEvents, ProgramTag(program), plan.alreadyMade))) {
        midi_.SendProgramChange(program);
        // The synthesizer switches its patch meanwhile; a STOP during the wait plays no note.
        if (plan.pauseAfterProgramChange > 0.0) clock_.WaitUntil(clock_.Now() + plan.pauseAfterProgramChange);
        end = stopRequested_ ? PassEnd::Stopped : CheckProgram(plan, ProgramTag(program));
        if (end == PassEnd::Finished && !stopRequested_) end = RunPass(plan, ProgramTag(program));
        if (end == PassEnd::Failed || end == PassEnd::Silent || end == PassEnd::Cancelled) break;
      }
      progress_.nowPlaying.clear();
      NotifyProgress();
      if (stopRequested_) break;
      ShowEstimate(RefreshElapsed(), doneCount_, EventsTotal(plan));
    }
  } catch (const std::exception& error) {
    failureMessage_ = std::string("Sampling stopped: ") + error.what() + "\n\nThe files saved so far are kept.";
    messages_.ShowMessage(kAppTitle, failureMessage_, MessageIcon::Critical);
    end = PassEnd::Failed;
  }
  return end;
}

RunResult RunController::Result(RunOutcome outcome, std::string message) const {
  RunResult result;
  result.outcome = outcome;
  result.takesSaved = takesSaved_;
  result.message = std::move(message);
  result.takesClipped = takesClipped_;
  result.takesSilent = takesSilent_;
  result.takesFailed = takesFailed_;
  result.warnings = takesWithWarnings_;
  result.leftoversRemoved = leftoversRemoved_;
  result.failedTakes = failedTakes_;
  return result;
}

std::string RunController::ProbeFile(const RunPlan& plan, const std::string& programTag) const {
  return TemporaryRecordingPath(TargetFile(plan.instrumentPath, programTag, "LEVEL"));
}

// The level check of one program (see level_check.h); a run without test
// notes measures its takes against digital silence.
RunController::PassEnd RunController::CheckProgram(const RunPlan& plan, const std::string& programTag) {
  noiseFloorDbfs_ = kSilenceFloorDbfs;
  carriedDbfs_ = kSilenceFloorDbfs;
  lastSoundingNote_.reset();
  testNote_.reset();
  silentInRow_ = 0;
  if (!options_.testNotes) return PassEnd::Finished;

  std::vector<int> notes;
  for (const EventRow& row : events_.Rows()) {
    if (const auto note = WholeNumberInRange(row.Number, 0, 127)) notes.push_back(static_cast<int>(*note));
  }
  // A list with no note plays nothing, test notes neither.
  if (notes.empty()) return PassEnd::Finished;
  // The test notes are no event of the list: "Now playing" stays empty.
  progress_.nowPlaying.clear();
  NotifyProgress();
  const std::string where = OnProgram(programTag);
  LevelCheckResult check;
  try {
    check = CheckLevels(capture_, settings_.Format(), notes, LongestDecaySeconds(events_.Rows()),
                        ProbeFile(plan, programTag));
  } catch (const CaptureError& error) {
    failureMessage_ = "Sampling stopped: the level check" + where + " failed: " + error.Cause() +
                      "\n\nThe files saved before it are kept.";
    messages_.ShowMessage(kAppTitle, failureMessage_, MessageIcon::Critical);
    return PassEnd::Failed;
  }
  const LevelCheckReport report{programTag, check.noiseFloorDbfs, check.soundingNote, check.soundingLevels,
                                check.silentNotes};
  ForEachObserver([&report](RunObserver& o) { o.LevelChecked(report); });

  if (!check.soundingNote) {
    failureMessage_ = SilentInstrumentMessage(where, check.silentNotes) + "\n\nNothing of this program was recorded.";
    messages_.ShowMessage(kAppTitle, failureMessage_, MessageIcon::Critical);
    return PassEnd::Silent;
  }
  noiseFloorDbfs_ = check.noiseFloorDbfs;
  carriedDbfs_ = check.endLevelDbfs;
  lastSoundingNote_ = check.soundingNote;
  testNote_ = check.soundingNote;
  if (check.soundingLevels && check.soundingLevels->clipped) {
    const std::string warning = "The test note " + NoteName(*check.soundingNote) + where +
                                " clips (its peak reaches full scale): turn the input level or the instrument's "
                                "volume down, or the takes will be distorted.\n\nGo on sampling?";
    if (!messages_.AskGoOn(kAppTitle, warning)) {
      failureMessage_ = "Sampling cancelled after the level check: the test note clips.";
      return PassEnd::Cancelled;
    }
  }
  return PassEnd::Finished;
}

// Whether the instrument still sounds after silent takes in a row: the last
// note that sounded is played again and, when it stays silent, the level
// check's test note (the last sounding one may have been a key at the edge
// of the patch's range). Each probe's tail is let fall back before the next.
bool RunController::StillSounds(const RunPlan& plan, const std::string& programTag) {
  std::vector<int> probes{*lastSoundingNote_};
  if (testNote_ && *testNote_ != *lastSoundingNote_) probes.push_back(*testNote_);
  for (const int note : probes) {
    const ProbeResult probe = ProbeNote(capture_, settings_.Format(), note, noiseFloorDbfs_, carriedDbfs_,
                                        LongestDecaySeconds(events_.Rows()), ProbeFile(plan, programTag));
    carriedDbfs_ = probe.endLevelDbfs;
    if (probe.sounds) return true;
  }
  return false;
}

// Marks a saved take from its measures, tells the observers, and watches for an
// instrument that went quiet during the run. A take sounds when its own note
// rises above the noise floor and above what the input held before its note
// on (the tail of the note before it, which is not its sound).
RunController::PassEnd RunController::AfterTake(const RunPlan& plan, const std::string& programTag, SavedTake& saved,
                                                int note, double decaySeconds) {
  saved.noiseFloorDbfs = noiseFloorDbfs_;
  const bool silent = saved.levels && !SoundsOverCarried(*saved.levels, noiseFloorDbfs_, carriedDbfs_);
  // A take that recorded its note's tail hands that tail to the next take; one
  // that ended at its note off (no decay) does not: the next note then plays
  // over its release, as the row asks.
  carriedDbfs_ =
      saved.levels && decaySeconds >= kCarriedTailMinimumSeconds ? saved.levels->endPeakDbfs : kSilenceFloorDbfs;
  saved.status =
      silent ? TakeStatus::Silent : (saved.levels && saved.levels->clipped ? TakeStatus::Clipped : TakeStatus::Saved);
  ++takesSaved_;
  if (saved.status == TakeStatus::Silent) ++takesSilent_;
  if (saved.status == TakeStatus::Clipped) ++takesClipped_;
  if (!saved.warnings.empty()) ++takesWithWarnings_;
  ForEachObserver([&saved](RunObserver& o) { o.TakeSaved(saved); });

  if (!silent) {
    silentInRow_ = 0;
    if (saved.levels) lastSoundingNote_ = note;
    return PassEnd::Finished;
  }
  if (++silentInRow_ < kSilentTakesBeforeRecheck || !options_.testNotes || !lastSoundingNote_) {
    return PassEnd::Finished;
  }
  // Keys outside a patch's range are silent; the instrument itself must still sound.
  silentInRow_ = 0;
  if (StillSounds(plan, programTag)) return PassEnd::Finished;
  const std::string where = OnProgram(programTag);
  std::vector<int> tried{*lastSoundingNote_};
  if (testNote_ && *testNote_ != *lastSoundingNote_) tried.push_back(*testNote_);
  failureMessage_ = SilentInstrumentMessage(where, tried) +
                    "\n\nIt sounded earlier in this run: " + std::to_string(kSilentTakesBeforeRecheck) +
                    " takes in a row were silent, so the instrument went away during the run. The files saved "
                    "so far are kept.";
  messages_.ShowMessage(kAppTitle, failureMessage_, MessageIcon::Critical);
  return PassEnd::Silent;
}

// One pass over the rows for one program (or the single pass). The rows are
// read at the run's own index from the list as it is at each event, so a list
// rebuilt under a suspended run only changes what comes next; the pass ends
// when the index passes the list's end.
RunController::PassEnd RunController::RunPass(const RunPlan& plan, const std::string& programTag) {
  SetRunRow(0);
  // Takes are trimmed against the noise floor of this program's level check.
  const std::optional<TrimSettings> trim =
      options_.trim ? std::optional<TrimSettings>({options_.preRollMs, options_.fadeOutMs, noiseFloorDbfs_})
                    : std::nullopt;
  for (std::size_t row = 0; row < events_.RowCount();) {
    const EventRow event = events_.Row(row);  // a copy: the list may change during the event
    const std::string takeName = TakeName(event);
    if (plan.alreadyMade.count(TargetFile(plan.instrumentPath, programTag, takeName)) != 0) {
      SetRunRow(++row);
      continue;
    }
    // The note alone: the grid's current row follows the run and shows the take's velocity.
    progress_.nowPlaying = event.Note;
    NotifyProgress();

    // A take of a velocity layer plays the layer's velocity; the level
    // checks between takes play the run's.
    const int velocity = PlayedVelocity(event, runVelocity_);
    CaptureRequest request{event, plan.instrumentPath, programTag, settings_.Format(), embedNote_,
                           trim,  noiseFloorDbfs_};
    request.tuneCorrection = options_.tuneCorrection;
    if (options_.loops == "auto" && options_.playMode != "one-shot") {
      request.loop = LoopSettings{options_.loopCrossfadeMs, 0.0};
    }
    try {
      midi_.SetChannelAndVelocity(runChannel_, velocity);
      const CapturedTake take = capture_.CaptureEvent(request);
      midi_.SetChannelAndVelocity(runChannel_, runVelocity_);
      SavedTake saved = TakeOf(row, event, velocity, programTag, take.targetFile);
      saved.tagged = take.tagged;
      saved.retakes = take.retakes;
      saved.levels = take.levels;
      saved.loop = take.loop;
      saved.warnings = take.warnings;
      const double decay = static_cast<double>(WholeNumberInRange(event.Decay, 0, 32000).value_or(0)) / 1000.0;
      const PassEnd end = AfterTake(plan, programTag, saved, take.note, decay);
      if (end != PassEnd::Finished) return end;
    } catch (const CaptureError& error) {
      midi_.SetChannelAndVelocity(runChannel_, runVelocity_);
      SavedTake failed = TakeOf(row, event, velocity, programTag, error.TargetFile());
      failed.status = TakeStatus::Failed;
      failed.cause = error.Cause();
      ++takesFailed_;
      ForEachObserver([&failed](RunObserver& o) { o.TakeFailed(failed); });
      // A file the user protected is the user's choice, not a failing device:
      // the run goes on, and its end reports the take as failed.
      if (error.Stage() != CaptureStage::TargetProtected) {
        ReportEventFailure(error, event.Note, programTag);
        return PassEnd::Failed;
      }
      failedTakes_.push_back(error.Cause());
    }

    SuspensionCheck();
    if (stopRequested_) return PassEnd::Stopped;

    SetRunRow(++row);
    const double elapsed = RefreshElapsed();
    ++doneCount_;
    progress_.eventsDone = doneCount_;
    progress_.eventsTotal = EventsTotal(plan);
    ShowEstimate(elapsed, doneCount_, progress_.eventsTotal);
    progress_.estimateTitle = kComputedTitle;
    NotifyProgress();
  }
  return PassEnd::Finished;
}

void RunController::ReportEventFailure(const CaptureError& error, const std::string& note,
                                       const std::string& programTag) {
  std::string message = "Sampling stopped at note " + note;
  if (programTag != kSinglePassTag) message += " of program " + programTag;
  std::string cause = error.Cause();
  if (!cause.empty() && cause.back() == '.') cause.pop_back();
  message += ".\n\nFile: " + error.TargetFile() + "\nCause: " + cause + ".\n\n";
  message += error.TakeSaved() ? "This take and the files saved before it are kept."
                               : "The files saved before this note are kept.";
  failureMessage_ = message;
  messages_.ShowMessage(kAppTitle, message, MessageIcon::Critical);
}

// Waits between events while a suspension is requested; RESUME or STOP ends the wait.
void RunController::SuspensionCheck() {
  if (!suspendRequested_) return;
  waitingSuspended_ = true;
  NotifyState();
  while (suspendRequested_) clock_.WaitUntil(clock_.Now() + kSuspendPollSeconds);
  waitingSuspended_ = false;
  NotifyState();
}

double RunController::RefreshElapsed() {
  const double elapsed = clock_.Now() - runStartTime_;
  progress_.elapsed = FormatSeconds(WholeSeconds(elapsed));
  NotifyProgress();
  return elapsed;
}

void RunController::ShowEstimate(double elapsed, std::int64_t done, std::int64_t total) {
  const auto seconds = ProjectedRunSeconds(elapsed, done, total);
  if (!seconds) return;
  progress_.estimate = FormatSeconds(*seconds);
  NotifyProgress();
}

// Programs x rows, with the rows counted as the list is now, less the takes
// skipped as already made. Never below what is already done, so a list
// shortened under a suspended run cannot make the estimate smaller than the
// time already spent.
std::int64_t RunController::EventsTotal(const RunPlan& plan) const {
  const std::int64_t passes = plan.singlePass ? 1 : plan.programSlots.PatchCount;
  const std::int64_t events = passes * static_cast<std::int64_t>(events_.RowCount());
  return std::max(events - static_cast<std::int64_t>(plan.alreadyMade.size()), doneCount_);
}

}  // namespace ntr
