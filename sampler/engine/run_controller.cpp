#include "engine/run_controller.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <set>

#include "engine/format_seconds.h"
#include "engine/free_space.h"
#include "engine/leftover_takes.h"
#include "engine/prepare_folders.h"
#include "engine/sample_paths.h"
#include "engine/text_numbers.h"
#include "engine/work_left.h"

namespace ntr {

// What a run fixes when it starts: a list regenerated or settings changed
// while it is suspended do not change where its files go or which programs it
// visits (their folders were made at the start).
struct RunController::RunPlan {
  std::string saveFolder;
  std::string instrumentPath;
  bool singlePass = true;
  ProgramSlots slots;
  std::vector<std::string> programTags;  // the folders the run needs
  double pauseAfterProgramChange = 0.0;  // seconds
  std::set<std::string> alreadyMade;     // targets whose finished take is skipped
};

namespace {

std::int64_t WholeSeconds(double seconds) {
  return static_cast<std::int64_t>(std::clamp(RoundHalfEven(seconds), -9.0e18, 9.0e18));
}

}  // namespace

std::optional<std::int64_t> ProjectedRunSeconds(double elapsed, std::int64_t done, std::int64_t total) {
  if (done <= 0) return std::nullopt;
  const double percentDone = (static_cast<double>(done) / static_cast<double>(total)) * 100.0;
  return WholeSeconds((elapsed / percentDone) * 100.0);
}

int RunVelocity(const std::string& text) {
  std::string velocity = text;
  return static_cast<int>(NormaliseNumberField(velocity, "127", 0, 127));
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
  const bool programChanges = !IsProgramListEmpty(selection.programList);
  const std::int64_t pauses = programChanges ? events_.Slots().PatchCount : 0;
  progress_.estimate = FormatSeconds(EstimatedRunSeconds(selection.duration, selection.decay, events_.RowCount(),
                                                         events_.Slots().PatchCount) +
                                     WholeSeconds(static_cast<double>(pauses) *
                                                  settings_.Options().pauseAfterProgramChangeMs / 1000.0));
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
    case RunState::Idle:
      break;
  }

  estimateTag_ = progress_.estimate;
  suspendRequested_ = false;
  stopRequested_ = false;
  embedNote_ = settings_.EmbedNote();
  runActive_ = true;
  NotifyState();

  RunResult result;
  try {
    result = RunSampling();
  } catch (const std::exception& error) {
    // Nothing below is expected to throw; if it does, the window must not be
    // left in a run that no longer exists.
    result = {RunOutcome::EventFailed, takesSaved_, std::string("Sampling stopped: ") + error.what()};
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
  failureMessage_.clear();

  RunPlan plan;
  plan.saveFolder = settings_.SaveFolder();
  plan.instrumentPath = InstrumentPath(plan.saveFolder, settings_.InstrumentName());
  plan.singlePass = IsProgramListEmpty(settings_.ProgramListText());
  if (plan.singlePass) {
    plan.programTags.emplace_back(kSinglePassTag);
  } else {
    plan.slots = events_.Slots();
    for (const int program : plan.slots.PatchSlots) {
      if (program != kEmptySlot) plan.programTags.push_back(ProgramTag(program));
    }
  }

  try {
    PrepareFolders(plan.saveFolder, plan.instrumentPath, plan.programTags);
  } catch (const FolderError& error) {
    const std::string message = std::string(error.what()) + "\n\nNothing was played.";
    messages_.ShowMessage(kAppTitle, message, MessageIcon::Critical);
    stopRequested_ = true;
    PerformStop(false);
    return {RunOutcome::FoldersFailed, 0, message};
  }

  std::vector<std::string> programFolders;
  for (const std::string& tag : plan.programTags) programFolders.push_back(ProgramFolder(plan.instrumentPath, tag));
  const int leftoversRemoved = RemoveLeftoverTakes(programFolders);

  const RunOptions options = settings_.Options();
  plan.pauseAfterProgramChange = plan.singlePass ? 0.0 : std::max(options.pauseAfterProgramChangeMs, 0) / 1000.0;
  const RunEvents runEvents{events_.Rows(), plan.programTags, plan.instrumentPath, settings_.Format(), embedNote_};
  if (options.skipTakesAlreadyMade) plan.alreadyMade = TakesAlreadyMade(runEvents);
  const WorkLeft work = WorkLeftOf(runEvents, plan.alreadyMade, plan.pauseAfterProgramChange);

  if (const auto shortfall = CheckFreeSpace(plan.saveFolder, work.bytes)) {
    const std::string message = NotEnoughSpaceMessage(plan.saveFolder, *shortfall);
    if (!messages_.AskYesNo(kAppTitle, message + "\n\nStart the run all the same?")) {
      stopRequested_ = true;
      PerformStop(false);
      return {RunOutcome::NotEnoughSpace, 0, message + " Nothing was played.", leftoversRemoved};
    }
  }

  const int code = midi_.OpenMidiOutput();
  if (code != 0) {
    std::string message = "Couldn't open midi out, MIDI_RetCode = " + std::to_string(code);
    const std::string reason = midi_.LastOpenError();
    if (!reason.empty()) message += "\n" + reason;
    messages_.ShowMessage(kShortTitle, message, MessageIcon::None);
    stopRequested_ = true;
    PerformStop(false);
    return {RunOutcome::MidiOpenFailed, 0, message, leftoversRemoved};
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
  } releaseRecorder(recorder_);

  progress_.eventsDone = 0;
  progress_.eventsSkipped = static_cast<std::int64_t>(plan.alreadyMade.size());
  progress_.eventsTotal = EventsTotal(plan);
  // With takes skipped, "Extimated" counts only what is left to make.
  if (!plan.alreadyMade.empty()) progress_.estimate = FormatSeconds(WholeSeconds(work.seconds));
  NotifyProgress();

  PassEnd end = PassEnd::Finished;
  try {
    midi_.SetChannelAndVelocity(RunChannel(settings_.ChannelText()), RunVelocity(settings_.VelocityText()));
    if (plan.singlePass) {
      end = RunPass(plan, std::string(kSinglePassTag));
    } else {
      for (const int program : plan.slots.PatchSlots) {
        // A program whose every take is already made is not visited.
        if (program != kEmptySlot &&
            (plan.alreadyMade.empty() || HasTakesLeft(runEvents, ProgramTag(program), plan.alreadyMade))) {
          midi_.SendProgramChange(program);
          // The synthesizer switches its patch meanwhile; a STOP during the wait plays no note.
          if (plan.pauseAfterProgramChange > 0.0) clock_.WaitUntil(clock_.Now() + plan.pauseAfterProgramChange);
          end = stopRequested_ ? PassEnd::Stopped : RunPass(plan, ProgramTag(program));
          if (end == PassEnd::Failed) break;
        }
        progress_.nowPlaying.clear();
        NotifyProgress();
        if (stopRequested_) break;
        ShowEstimate(RefreshElapsed(), doneCount_, EventsTotal(plan));
      }
    }
  } catch (const std::exception& error) {
    failureMessage_ = std::string("Sampling stopped: ") + error.what() + "\n\nThe files saved so far are kept.";
    messages_.ShowMessage(kAppTitle, failureMessage_, MessageIcon::Critical);
    end = PassEnd::Failed;
  }

  // The end of every run that played: close the output, rewind, return to idle.
  progress_.nowPlaying.clear();
  NotifyProgress();
  midi_.CloseMidiOutput();
  SetRunRow(0);
  const bool stoppedByUser = stopRequested_;
  stopRequested_ = true;
  PerformStop(false);

  if (end == PassEnd::Failed) return {RunOutcome::EventFailed, takesSaved_, failureMessage_, leftoversRemoved};
  return {stoppedByUser ? RunOutcome::Stopped : RunOutcome::Completed, takesSaved_, {}, leftoversRemoved};
}

// One pass over the rows for one program (or the single pass). The rows are
// read at the run's own index from the list as it is at each event, so a list
// rebuilt under a suspended run only changes what comes next; the pass ends
// when the index passes the list's end.
RunController::PassEnd RunController::RunPass(const RunPlan& plan, const std::string& programTag) {
  SetRunRow(0);
  for (std::size_t row = 0; row < events_.RowCount();) {
    const EventRow event = events_.Row(row);  // a copy: the list may change during the event
    if (plan.alreadyMade.count(TargetFile(plan.instrumentPath, programTag, event.Note)) != 0) {
      SetRunRow(++row);
      continue;
    }
    progress_.nowPlaying = event.Note;
    NotifyProgress();

    CaptureRequest request{event, plan.instrumentPath, programTag, settings_.Format(), embedNote_};
    try {
      const CapturedTake take = capture_.CaptureEvent(request);
      ++takesSaved_;
      const SavedTake saved{row, event.Note, programTag, take.targetFile, take.tagged};
      ForEachObserver([&saved](RunObserver& o) { o.TakeSaved(saved); });
    } catch (const CaptureError& error) {
      if (error.TakeSaved()) {
        ++takesSaved_;
        const SavedTake saved{row, event.Note, programTag, error.TargetFile(),
                              error.Stage() == CaptureStage::RemoveTemporary};
        ForEachObserver([&saved](RunObserver& o) { o.TakeSaved(saved); });
      }
      ReportEventFailure(error, event.Note, programTag);
      return PassEnd::Failed;
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
  const std::int64_t passes = plan.singlePass ? 1 : plan.slots.PatchCount;
  const std::int64_t events = passes * static_cast<std::int64_t>(events_.RowCount());
  return std::max(events - static_cast<std::int64_t>(plan.alreadyMade.size()), doneCount_);
}

}  // namespace ntr
