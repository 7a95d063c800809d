// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Capture of one event: record one row's note into its WAV file.
//
// Order of one event: new recording, format, record, yield once, note on,
// hold, note off, decay, stop, save beside the target under a temporary name,
// yield, close, yield, rename the raw take into place, then finish it there
// (take_finishing.h: trimmed when asked, measured, tagged, written once). The
// target therefore only ever appears complete, and an existing file of that
// name is replaced only by a complete take.
// A take that lost audio (AudioDropoutError at stop) is closed and the event
// played and recorded again, up to five tries in all.
// Runs on the user-interface thread; the waits yield through the clock, so
// clicks on the run buttons are handled meanwhile (they take effect between
// events, never inside one).

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/events/event_row.h"
#include "engine/ports.h"
#include "engine/takes/take_looping.h"
#include "engine/takes/take_trimming.h"

namespace ntr {

// Which step of an event failed.
enum class CaptureStage {
  Row,              // the row's note number, duration or decay is not usable
  NewRecording,     // the recorder could not make a new recording
  Format,           // the recorder refused the format
  Record,           // the recording could not be started
  Play,             // the MIDI output failed to send the note
  StopRecording,    // the recording could not be stopped
  Save,             // the take could not be saved (the target is untouched)
  MoveIntoPlace,    // the saved take could not be renamed to the target
  TargetProtected,  // the target may not be written (the user protected it): kept as it was,
                    // the take discarded; the run goes on with the next event
};

class CaptureError : public std::runtime_error {
 public:
  CaptureError(CaptureStage stage, std::string cause, std::string targetFile, bool takeSaved);

  CaptureStage Stage() const { return stage_; }
  // What went wrong, in words for the user ("the recorder refused the format
  // 22050 Hz, 8 bits, mono: ..."); also what().
  const std::string& Cause() const { return cause_; }
  const std::string& TargetFile() const { return targetFile_; }
  // True when the take is in the target file all the same (untagged after a
  // failed embedding, or tagged with a temporary file left behind).
  bool TakeSaved() const { return takeSaved_; }

 private:
  CaptureStage stage_;
  std::string cause_;
  std::string targetFile_;
  bool takeSaved_;
};

// What one event is: the row as it was when the event started, where its
// file goes, the format read from the window for this event, whether the
// unity note is embedded, and whether the take is cut to its sound before it
// is tagged (none: kept as recorded).
struct CaptureRequest {
  EventRow row;
  std::string instrumentPath;
  std::string programTag;  // "XXX" or "000".."127"
  RecordingFormat format;
  bool embedNote = false;
  std::optional<TrimSettings> trim;
  double noiseFloorDbfs = kSilenceFloorDbfs;  // the level check's: the take is measured against it
  bool tuneCorrection = false;                // the sampler chunk carries the measured pitch (FinishingRequest)
  // A sustain loop is searched for (none: no loop); its note-off is the row's duration.
  std::optional<LoopSettings> loop{};
};

struct CapturedTake {
  std::string targetFile;
  int note = 0;
  bool tagged = false;
  int retakes = 0;  // tries made again after lost audio
  std::optional<TakeLevels> levels;  // as finished; none when it could not be measured
  std::optional<TakeLoop> loop;      // the loop search's answer, when one was asked for
  // What went wrong after the take was safely in its file (it could not be
  // trimmed, measured or tagged): the run goes on.
  std::vector<std::string> warnings;
};

// A recording made outside the event list (the level check): a note (or
// none, for the noise floor) held and let decay, saved to `file`.
struct ProbeRequest {
  std::optional<int> note;
  double holdSeconds = 0.0;
  double decaySeconds = 0.0;
  RecordingFormat format;
  std::string file;
};

class EventCapture {
 public:
  EventCapture(MidiOutputPort& midi, RecorderPort& recorder, ClockPort& clock)
      : midi_(midi), recorder_(recorder), clock_(&clock) {}

  // The clock of the next events (a fast run's take clock, and back); between events only.
  void UseClock(ClockPort& clock) { clock_ = &clock; }

  // Plays, records and saves one event. A note that was switched on is always
  // switched off, and the recorder is always closed. Throws CaptureError for
  // a take that is not in its file; what failed after it was saved is a
  // warning of the returned take.
  CapturedTake CaptureEvent(const CaptureRequest& request);

  // Records and saves one probe, with the same care. Throws CaptureError.
  void RecordProbe(const ProbeRequest& probe);

 private:
  class RecorderSession;
  void Hold(double seconds);
  // Records one note (or none) into the open recorder session, again after
  // lost audio; returns the retakes made.
  int Record(RecorderSession& session, std::optional<int> note, double holdSeconds, double decaySeconds,
             const RecordingFormat& format, const std::string& target);
  void SaveTake(RecorderSession& session, const std::string& file, const std::string& target);

  MidiOutputPort& midi_;
  RecorderPort& recorder_;
  ClockPort* clock_;
};

// "22050 Hz, 8 bits, mono" for messages.
std::string DescribeFormat(const RecordingFormat& format);

}  // namespace ntr
