#pragma once
// Capture of one event: record one row's note into its WAV file.
//
// Order of one event: new recording, format, record, yield once, note on,
// hold, note off, decay, stop, save beside the target under a temporary name,
// yield, close, yield, then either rename the take into place or write the
// tagged file from it. The target therefore only ever appears complete, and
// an existing file of that name is replaced only by a complete take.
// A take that lost audio (AudioDropoutError at stop) is closed and the event
// played and recorded again, up to three tries in all.
// Runs on the user-interface thread; the waits yield through the clock, so
// clicks on the run buttons are handled meanwhile (they take effect between
// events, never inside one).

#include <stdexcept>
#include <string>

#include "engine/event_row.h"
#include "engine/ports.h"

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
  Embed,            // the unity note could not be embedded; the take was saved untagged
  RemoveTemporary,  // the tagged file was written but the temporary take stayed behind
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
// file goes, the format read from the window for this event, and whether the
// unity note is embedded.
struct CaptureRequest {
  EventRow row;
  std::string instrumentPath;
  std::string programTag;  // "XXX" or "000".."127"
  RecordingFormat format;
  bool embedNote = false;
};

struct CapturedTake {
  std::string targetFile;
  int note = 0;
  bool tagged = false;
};

class EventCapture {
 public:
  EventCapture(MidiOutputPort& midi, RecorderPort& recorder, ClockPort& clock)
      : midi_(midi), recorder_(recorder), clock_(clock) {}

  // Plays, records and saves one event. A note that was switched on is always
  // switched off, and the recorder is always closed. Throws CaptureError.
  CapturedTake CaptureEvent(const CaptureRequest& request);

 private:
  void Hold(double seconds);

  MidiOutputPort& midi_;
  RecorderPort& recorder_;
  ClockPort& clock_;
};

// "22050 Hz, 8 bits, mono" for messages.
std::string DescribeFormat(const RecordingFormat& format);

}  // namespace ntr
