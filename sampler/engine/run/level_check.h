// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The check before the takes of a program: the input recorded briefly with no
// note (the noise floor), then a test note at the run's velocity and channel,
// the middle note of the event list first and, when that one stays silent,
// up to four others spread over the list (a patch may not sound on every key).
// Runs on the run's thread, inside the run, with the run's devices.

#include <optional>
#include <string>
#include <vector>

#include "engine/takes/event_capture.h"
#include "engine/events/event_row.h"
#include "engine/takes/take_analysis.h"

namespace ntr {

struct LevelCheckResult {
  double noiseFloorDbfs = kSilenceFloorDbfs;
  // What the input held when the check ended, after the test note's tail
  // was let fall back (see WaitForQuiet): what the first take starts with.
  double endLevelDbfs = kSilenceFloorDbfs;
  std::optional<int> soundingNote;  // the test note that rose above the noise floor
  std::optional<TakeLevels> soundingLevels;
  std::vector<int> silentNotes;     // test notes that stayed silent, in the order played
};

// How long the probes last.
inline constexpr double kNoiseFloorSeconds = 0.3;
inline constexpr double kTestNoteHoldSeconds = 0.6;
inline constexpr double kTestNoteDecaySeconds = 0.3;
inline constexpr std::size_t kMostTestNotes = 5;
// After a test note the input is listened to in steps of this length until
// it is back within kQuietMarginDb of the noise floor.
inline constexpr double kQuietStepSeconds = 0.05;
inline constexpr double kQuietMarginDb = 6.0;

// The notes tried, in order: the middle one of `notes` (as the list holds
// them), then up to four others spread over the list.
std::vector<int> TestNoteOrder(const std::vector<int>& notes);

// Measures the noise floor and plays test notes until one sounds; then waits
// at most `quietSeconds` (the run's decay) for the note's tail to fall back
// (WaitForQuiet), so that the first take does not start inside it. The probes
// are recorded to `probeFile` (a temporary name in a folder of the run) and
// removed. Throws CaptureError when a probe cannot be recorded.
LevelCheckResult CheckLevels(EventCapture& capture, const RecordingFormat& format, const std::vector<int>& notes,
                             double quietSeconds, const std::string& probeFile);

// Plays one note as a probe and measures it (the instrument gone quiet in
// the middle of a run is told apart from keys that do not sound); then waits
// for its tail as CheckLevels does. `carriedDbfs` is what the input held
// before the probe: the probe must rise above it (see SoundsOverCarried).
struct ProbeResult {
  TakeLevels levels;
  bool sounds = false;
  double endLevelDbfs = kSilenceFloorDbfs;  // what the input held after the wait
};
ProbeResult ProbeNote(EventCapture& capture, const RecordingFormat& format, int note, double noiseFloorDbfs,
                      double carriedDbfs, double quietSeconds, const std::string& probeFile);

// The longest decay of the rows, in seconds: how long a level check waits at
// most for a test note's tail before the first take.
double LongestDecaySeconds(const std::vector<EventRow>& rows);

// Listens to the input (no note) in steps of kQuietStepSeconds until a
// step's RMS is within kQuietMarginDb of the noise floor, for at most
// `maxSeconds`. Returns the peak at the end of the last step: what the input
// holds now.
double WaitForQuiet(EventCapture& capture, const RecordingFormat& format, double noiseFloorDbfs, double maxSeconds,
                    const std::string& probeFile);

// The message for an instrument that does not sound.
std::string SilentInstrumentMessage(const std::string& where, const std::vector<int>& notesTried);

}  // namespace ntr
