// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A recorder that takes "audio" in virtual time and saves a real PCM WAV of
// the requested format through QuendalWav: a 440 Hz tone as long as the time
// between Record() and Stop(). It checks the order of the calls and can be
// told to fail at a chosen operation.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/ports.h"

namespace quendal {
class Wav;
}

namespace ntr::fakes {

enum class RecorderOp { NewRecording, SetFormat, Record, Stop, Save, Close, EndOfRun };

struct RecorderCall {
  RecorderOp op;
  double time;
  std::string path;  // Save only
};

class FakeRecorder : public RecorderPort {
 public:
  explicit FakeRecorder(ClockPort& clock) : clock_(clock) {}

  void NewRecording() override;
  void SetFormat(const RecordingFormat& format) override;
  void Record() override;
  void Stop() override;
  void Save(const std::string& path) override;
  void Close() override;
  void EndOfRun() override;

  // The occurrence-th call of op (counted from 1 over the recorder's life)
  // throws DeviceError(message). A failing Save first writes a few bytes to
  // its file, as a device that fails half-way would.
  void FailAt(RecorderOp op, std::string message, int occurrence = 1);
  // The same, with AudioDropoutError (a take that lost audio).
  void DropoutAt(RecorderOp op, std::string message, int occurrence = 1);

  // Only 11025/22050/44100 Hz, 8/16 bits and 1/2 channels are accepted (as a
  // real device would refuse others); SetFormat throws otherwise.
  bool refuseOddFormats = true;
  // Called with the model just before it is written (e.g. to add a "smpl" chunk).
  std::function<void(quendal::Wav&)> decorate;
  // Called at the start of each Save, before anything is written.
  std::function<void(const std::string& path)> onSave;
  // When set, a take whose recording (start, stop times) it answers false for
  // is saved as silence: an instrument that does not sound.
  std::function<bool(double start, double stop)> sounds;
  // When set, the time the sound of a recording (start, stop times) ends, if
  // it ends before the recording does: the rest is saved as silence, as an
  // instrument's sound stops some time after its note off.
  std::function<std::optional<double>(double start, double stop)> soundEnds;

  std::vector<RecorderCall> calls;
  std::vector<RecordingFormat> formatsSet;
  std::vector<std::string> violations;  // calls made out of order
  std::vector<std::string> savedPaths;  // files written completely

  int Count(RecorderOp op) const;

 private:
  void Log(RecorderOp op, const std::string& path = {});
  void MaybeFail(RecorderOp op, const std::string& path = {});

  enum class Phase { Closed, Open, Recording, Stopped };
  ClockPort& clock_;
  Phase phase_ = Phase::Closed;
  RecordingFormat format_;
  double recordStart_ = 0.0;
  double recordStop_ = 0.0;
  struct Failure {
    RecorderOp op;
    std::string message;
    int occurrence;
    bool dropout;
  };
  std::vector<Failure> failures_;
};

class FakeMidiOutput;

// Makes the recorder's instrument fall silent 50 ms after each note off that
// `midi` sends within a recording, as a real one does some time after it.
void EndSoundAtNoteOff(FakeRecorder& recorder, const FakeMidiOutput& midi);

// The bytes of a PCM tone: 8-bit unsigned or 16-bit signed little-endian.
std::string PcmTone(const RecordingFormat& format, long frames, double frequency = 440.0);

// Writes a plain PCM WAV (header, 16-byte "fmt ", "data") through QuendalWav.
void WritePcmWav(const std::string& path, const RecordingFormat& format, long frames,
                 const std::function<void(quendal::Wav&)>& decorate = {});

}  // namespace ntr::fakes
