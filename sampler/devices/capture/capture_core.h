// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Recording takes from an input stream, whatever the audio API.
//
// The stream is opened at the first take and kept running between takes
// (opening one costs far more than the pause between takes); the owner says
// at each take whether the open stream still fits, and it is opened anew
// when not, when it ended on its own, and after any failure other than lost
// audio. Between takes the audio callback discards its input.
//
// While a take is recorded the audio callback only copies into a
// preallocated lock-free ring; a helper thread moves the audio from there
// into the take. Lost audio (reported by the stream or a full ring) fails
// the take at Stop with an AudioDropoutError; the stream stays open for the
// take made again. Every call but the sink's comes from one thread (the
// user-interface thread), which alone reads the take.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "devices/capture/input_stream.h"
#include "devices/takes/recorded_take.h"

namespace ntr {

class CaptureCore {
 public:
  using StreamMaker = std::function<std::unique_ptr<InputStream>()>;

  // `ringSeconds`: room between the audio thread and the take.
  explicit CaptureCore(double ringSeconds);
  ~CaptureCore();
  CaptureCore(const CaptureCore&) = delete;
  CaptureCore& operator=(const CaptureCore&) = delete;

  // Ends the take and starts an empty one. Keeps the open stream when
  // `streamFits` and it is alive, else opens `make()`'s stream. Throws what
  // opening throws (DeviceError).
  void NewTake(bool streamFits, const StreamMaker& make);
  // Starts recording the take. Throws DeviceError (the stream is closed).
  void Start();
  // Stops recording. Throws AudioDropoutError when audio was lost and
  // DeviceError when the stream ended on its own (it is closed then); what
  // was captured stays in the take.
  void Stop();
  // Ends the take; the stream stays open.
  void EndTake();
  void CloseStream();

  bool StreamOpen() const { return capture_ != nullptr; }
  bool Recording() const;
  // The open stream's Description(); "" when none is open.
  std::string StreamDescription() const;
  const RecordedTake& Take() const { return take_; }

 private:
  struct Capture;

  double ringSeconds_;
  std::unique_ptr<Capture> capture_;
  RecordedTake take_;
};

}  // namespace ntr
