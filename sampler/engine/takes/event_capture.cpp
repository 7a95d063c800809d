// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/takes/event_capture.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "engine/takes/sample_paths.h"
#include "engine/events/text_numbers.h"
#include "engine/takes/take_finishing.h"

namespace ntr {

CaptureError::CaptureError(CaptureStage stage, std::string cause, std::string targetFile, bool takeSaved)
    : std::runtime_error(cause),
      stage_(stage),
      cause_(std::move(cause)),
      targetFile_(std::move(targetFile)),
      takeSaved_(takeSaved) {}

std::string DescribeFormat(const RecordingFormat& format) {
  const std::string channels = format.channels == 1   ? "mono"
                               : format.channels == 2 ? "stereo"
                                                      : std::to_string(format.channels) + " channels";
  const std::string bits = HasFloatSamples(format) ? "32-bit float" : std::to_string(format.bitsPerSample) + " bits";
  return std::to_string(format.samplesPerSec) + " Hz, " + bits + ", " + channels;
}

namespace {

constexpr std::int64_t kLongestMillis = 2147483647;
// How often one event is recorded before lost audio fails the run, and the
// pause before each new try (the note off was sent; the decay has passed).
// The pauses grow, so that a passing overload of the machine or the audio
// server (another program's burst of work) is over before the last tries.
constexpr int kTakeAttempts = 5;
constexpr std::array<double, kTakeAttempts - 1> kDropoutSettleSeconds = {0.1, 0.5, 2.0, 5.0};

}  // namespace

// Closes the recorder on every way out of an event.
class EventCapture::RecorderSession {
 public:
  explicit RecorderSession(RecorderPort& recorder) : recorder_(recorder) {}
  ~RecorderSession() { Close(); }
  RecorderSession(const RecorderSession&) = delete;
  RecorderSession& operator=(const RecorderSession&) = delete;

  // A new recording (one per try of the event).
  void Begin() {
    Close();
    open_ = true;
    recorder_.NewRecording();
  }

  void Close() {
    if (open_) {
      open_ = false;
      recorder_.Close();
    }
  }

 private:
  RecorderPort& recorder_;
  bool open_ = false;
};

namespace {

// Sends the note off if the event is left while the note sounds.
class SoundingNote {
 public:
  SoundingNote(MidiOutputPort& midi, int note) : midi_(midi), note_(note) {}
  ~SoundingNote() {
    if (!sounding_) return;
    try {
      midi_.SendNoteOff(note_);
    } catch (...) {  // already leaving because of another failure
    }
  }
  SoundingNote(const SoundingNote&) = delete;
  SoundingNote& operator=(const SoundingNote&) = delete;

  void Off() {
    sounding_ = false;
    midi_.SendNoteOff(note_);
  }

 private:
  MidiOutputPort& midi_;
  int note_;
  bool sounding_ = true;
};

template <typename Operation>
void RunStep(CaptureStage stage, const std::string& what, const std::string& target, Operation operation) {
  try {
    operation();
  } catch (const std::exception& error) {
    throw CaptureError(stage, what + ": " + error.what(), target, false);
  }
}

void RemoveQuietly(const std::string& file) {
  std::error_code ignored;
  std::filesystem::remove(PathFromUtf8(file), ignored);
}

// Renames a complete take to its target; on failure the take stays where it is.
void MoveIntoPlace(const std::string& take, const std::string& target) {
  std::error_code error;
  std::filesystem::rename(PathFromUtf8(take), PathFromUtf8(target), error);
  if (error) {
    throw CaptureError(CaptureStage::MoveIntoPlace,
                       "the take could not be moved into place (" + error.message() + "); it is kept as \"" + take +
                           "\"",
                       target, false);
  }
}

// A file the user may not write (read-only, another user's) is the user's
// choice: it is neither replaced by the new take nor renamed over, and the
// new take is discarded. Opening for appending writes nothing and asks for
// exactly the right to write.
void RefuseProtectedTarget(const std::string& take, const std::string& target) {
  std::error_code error;
  if (!std::filesystem::exists(PathFromUtf8(target), error)) return;
  errno = 0;
  std::ofstream probe(PathFromUtf8(target), std::ios::binary | std::ios::app);
  if (probe.is_open()) return;
  const std::string why = errno != 0 ? std::strerror(errno) : "it may not be written";
  RemoveQuietly(take);
  throw CaptureError(CaptureStage::TargetProtected,
                     "\"" + target + "\" was not replaced (" + why +
                         "): the file there is kept as it was and the new take was discarded",
                     target, false);
}

}  // namespace

void EventCapture::Hold(double seconds) {
  if (seconds <= 0.0) return;  // a zero duration does not yield at all
  const double start = clock_->Now();
  clock_->WaitUntil(start + seconds);
}

CapturedTake EventCapture::CaptureEvent(const CaptureRequest& request) {
  const EventRow& row = request.row;
  const std::string target = TargetFile(request.instrumentPath, request.programTag, TakeName(row));

  const auto note = WholeNumberInRange(row.Number, 0, 127);
  if (!note) {
    throw CaptureError(CaptureStage::Row, "the note number \"" + row.Number + "\" is not a number from 0 to 127",
                       target, false);
  }
  const auto holdMillis = WholeNumberInRange(row.Time, 0, kLongestMillis);
  const auto decayMillis = WholeNumberInRange(row.Decay, 0, kLongestMillis);
  if (!holdMillis || !decayMillis) {
    throw CaptureError(CaptureStage::Row,
                       "the duration \"" + row.Time + "\" or the decay \"" + row.Decay +
                           "\" is not a number of milliseconds",
                       target, false);
  }
  const int midiNote = static_cast<int>(*note);

  RecorderSession session(recorder_);
  CapturedTake captured;
  captured.targetFile = target;
  captured.note = midiNote;
  captured.retakes = Record(session, midiNote, static_cast<double>(*holdMillis) / 1000.0,
                            static_cast<double>(*decayMillis) / 1000.0, request.format, target);

  // The raw take is written beside its target and only then renamed, so the
  // target never holds half a file and an older take is replaced only by a
  // complete one. From then on the target holds a take, raw or finished:
  // finishing replaces it only by a complete finished one.
  const std::string raw = TemporaryRecordingPath(target);
  SaveTake(session, raw, target);
  RefuseProtectedTarget(raw, target);
  MoveIntoPlace(raw, target);

  FinishingRequest finishing{midiNote, request.embedNote, request.trim, request.noiseFloorDbfs};
  finishing.tuneCorrection = request.tuneCorrection;
  finishing.loop = request.loop;
  if (finishing.loop) finishing.loop->noteOffSeconds = static_cast<double>(*holdMillis) / 1000.0;
  FinishedTake finished = FinishTake(target, finishing);
  captured.tagged = finished.tagged;
  captured.levels = finished.levels;
  captured.loop = finished.loop;
  captured.warnings = std::move(finished.warnings);
  return captured;
}

int EventCapture::Record(RecorderSession& session, std::optional<int> note, double holdSeconds, double decaySeconds,
                         const RecordingFormat& format, const std::string& target) {
  for (int attempt = 1;; ++attempt) {
    RunStep(CaptureStage::NewRecording, "the recorder could not make a new recording", target,
            [&] { session.Begin(); });
    RunStep(CaptureStage::Format, "the recorder refused the format " + DescribeFormat(format), target,
            [&] { recorder_.SetFormat(format); });
    RunStep(CaptureStage::Record, "the recording could not be started", target, [&] { recorder_.Record(); });
    clock_->Yield();

    if (note) {
      RunStep(CaptureStage::Play, "the note could not be played", target, [&] {
        midi_.SendNoteOn(*note);
        SoundingNote sounding(midi_, *note);
        Hold(holdSeconds);
        sounding.Off();
      });
    } else {
      Hold(holdSeconds);
    }
    Hold(decaySeconds);
    try {
      recorder_.Stop();
      return attempt - 1;
    } catch (const AudioDropoutError& error) {
      // A take with a gap is no sample, but one dropout should not end an
      // unattended run: the note is over, so the event is simply made again.
      if (attempt == kTakeAttempts) {
        throw CaptureError(CaptureStage::StopRecording,
                           "the recording could not be stopped (audio was lost on " +
                               std::to_string(kTakeAttempts) + " tries): " + error.what(),
                           target, false);
      }
      session.Close();
      Hold(kDropoutSettleSeconds[static_cast<std::size_t>(attempt - 1)]);
    } catch (const std::exception& error) {
      throw CaptureError(CaptureStage::StopRecording, std::string("the recording could not be stopped: ") + error.what(),
                         target, false);
    }
  }
}

void EventCapture::SaveTake(RecorderSession& session, const std::string& file, const std::string& target) {
  try {
    recorder_.Save(file);
  } catch (const std::exception& error) {
    RemoveQuietly(file);
    throw CaptureError(CaptureStage::Save, std::string("the take could not be saved: ") + error.what(), target,
                       false);
  }
  clock_->Yield();
  session.Close();
  clock_->Yield();
}

void EventCapture::RecordProbe(const ProbeRequest& probe) {
  RecorderSession session(recorder_);
  Record(session, probe.note, probe.holdSeconds, probe.decaySeconds, probe.format, probe.file);
  SaveTake(session, probe.file, probe.file);
}

}  // namespace ntr
