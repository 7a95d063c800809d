// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a sampling run shows: its state, the controls that follow from it,
// its progress texts, and the observer through which front ends (the main
// window, the batch mode) follow a run without the engine knowing them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/takes/take_analysis.h"
#include "engine/takes/take_looping.h"

namespace ntr {

// The five states of a run.
enum class RunState {
  Idle,              // no run on the stack
  Running,           // playing events
  SuspendRequested,  // "SUSPEND" clicked; the current event is still in progress
  Suspended,         // waiting between events for RESUME or STOP
  StopRequested,     // "STOP" clicked; the current event is still in progress
};

std::string_view RunStateName(RunState state);

// What the window shows for a state: the Start button's caption and enabled
// state, the Stop and Resume buttons, and the settings group (note keys,
// selection and generation buttons, the eleven settings panels).
struct RunControls {
  std::string_view startCaption;  // "START" or "SUSPEND"
  bool startEnabled;
  bool stopEnabled;
  bool resumeEnabled;
  bool settingsEnabled;
};
RunControls ControlsFor(RunState state);

inline constexpr const char* kAppTitle = "NTR - Notarra";  // titled messages
inline constexpr const char* kShortTitle = "NTR";          // the MIDI open failure

inline constexpr std::string_view kEstimatedTitle = "Extimated";  // before the run's first event
inline constexpr std::string_view kComputedTitle = "Computed";    // once the run has completed one

// The progress panel: lbTitle(0) / lbData(0..2), plus the event counts for
// front ends that draw a progress bar.
struct RunProgress {
  std::string estimateTitle{kEstimatedTitle};  // lbTitle(0)
  std::string estimate;                        // lbData(0): estimated total time
  std::string elapsed;                         // lbData(1): time since the run started
  std::string nowPlaying;                      // lbData(2): note name of the event in progress
  std::int64_t eventsDone = 0;                 // events completed in this run
  std::int64_t eventsTotal = 0;                // events the run expects to make in all
  std::int64_t eventsSkipped = 0;              // events whose take was already made (skipped)

  bool operator==(const RunProgress&) const = default;
};

enum class RunOutcome {
  Completed,       // every event of the list was captured
  Stopped,         // STOP (or the batch mode's interrupt) ended it between events
  FoldersFailed,   // a folder could not be made; nothing was played
  MidiOpenFailed,  // the MIDI output did not open; nothing was played
  EventFailed,     // an event failed; the run stopped there
  InstrumentSilent,  // the level check heard nothing: before a program's first take, or
                     // after eight silent takes in a row the last note that sounded stayed silent
  CheckCancelled,  // the user cancelled after the level check's warning (a clipping test note)
  NotEnoughSpace,  // the takes would not fit the disk and nobody chose to go on; nothing was played
  InputMissing,    // the audio input chosen for the run is not there; nothing was played
};

struct RunResult {
  RunOutcome outcome = RunOutcome::Completed;
  std::int64_t takesSaved = 0;  // files written by this run (an untagged take counts)
  std::string message;          // the message shown for a failure, empty otherwise
  std::int64_t takesClipped = 0;  // of the saved takes: marked clipped
  std::int64_t takesSilent = 0;   // of the saved takes: marked silent
  std::int64_t takesFailed = 0;   // events that failed: the one the run stopped at, and those
                                  // whose file the user protected (the run went on past them)
  std::int64_t warnings = 0;      // saved takes with a warning (untagged, temporary file left)
  int leftoversRemoved = 0;     // temporary takes of killed runs removed at the start
  std::vector<std::string> failedTakes{};  // why each take the run went on past failed
};

enum class TakeStatus {
  Saved,    // in its file, sounding
  Silent,   // in its file, never rose above the noise floor (a key outside the patch's range)
  Clipped,  // in its file, with samples at full scale
  Failed,   // not saved: the run stopped here, or its file was protected
};

// A take that reached its target file, or the one that failed.
struct SavedTake {
  std::size_t row = 0;     // the row's index in the event list
  std::string note;        // the row's note name
  int velocity = 0;        // the velocity played
  int round = 1;           // the round robin, from 1
  std::string programTag;  // "XXX" or "000".."127"
  std::string file;        // the target file
  bool tagged = false;     // carries its unity note
  TakeStatus status = TakeStatus::Saved;
  std::optional<TakeLevels> levels;   // none when the take could not be measured
  std::optional<TakeLoop> loop;       // none when the run does not loop its takes
  double noiseFloorDbfs = kSilenceFloorDbfs;  // of the program's level check (digital silence without one)
  int retakes = 0;                    // made again after lost audio
  std::vector<std::string> warnings;  // what went wrong after it was saved
  std::string cause;                  // Failed: why
};

// What a run's report needs when it starts and when a program is checked.
struct RunStart {
  std::string instrumentPath;
  std::int64_t eventsTotal = 0;
  std::int64_t eventsSkipped = 0;  // takes already made, skipped (resume)
  int leftoversRemoved = 0;        // temporary takes of killed runs removed at START
};
struct LevelCheckReport {
  std::string programTag;
  double noiseFloorDbfs = kSilenceFloorDbfs;
  std::optional<int> soundingNote;
  std::optional<TakeLevels> soundingLevels;
  std::vector<int> silentNotes;
};

// Everything is called on the user-interface thread, from inside the run
// (which may itself be inside a yield) or from the button methods. An
// observer may call the controller's Stop/Resume/StartOrSuspend from here.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  virtual void RunStateChanged(RunState /*state*/) {}
  virtual void RunProgressChanged(const RunProgress& /*progress*/) {}
  // The run's row index moved (pass start: 0; after each event: the next row,
  // which equals the row count after the last row; run end: 0). The window
  // mirrors it as the grid's current row; the grid never moves the run.
  virtual void RunRowChanged(std::size_t /*row*/) {}
  virtual void RunStarted(const RunStart& /*start*/) {}
  virtual void LevelChecked(const LevelCheckReport& /*check*/) {}
  virtual void TakeSaved(const SavedTake& /*take*/) {}
  // The take of an event that failed (status Failed, with its cause); the run
  // stops after it, unless the take's file was protected (see CaptureStage).
  virtual void TakeFailed(const SavedTake& /*take*/) {}
  // After the run has returned to Idle.
  virtual void RunFinished(const RunResult& /*result*/) {}
};

}  // namespace ntr
