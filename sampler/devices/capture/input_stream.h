// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the capture core needs from an audio API: a stream of interleaved
// 32-bit float frames from one input, delivered on the API's audio thread.
// One implementation per audio API (RtAudio today); a test can use a fake.

#include <cstddef>
#include <string>

namespace ntr {

struct InputFormat {
  unsigned sampleRate = 0;
  unsigned channels = 0;
};

// Receives the input. Called on the audio thread only: an implementation
// must not allocate, lock or block.
class InputSink {
 public:
  // `frames` interleaved frames (null with 0 frames when the API gave none);
  // `overflow` when the API reports input lost before these frames.
  virtual void OnInput(const float* interleaved, std::size_t frames, bool overflow) = 0;

 protected:
  ~InputSink() = default;
};

// Used from one thread (the user-interface thread), never from the sink.
class InputStream {
 public:
  virtual ~InputStream() = default;
  // Before Open: the format asked for; after: the format delivered.
  virtual InputFormat Format() const = 0;
  // Opens the device; the sink may be called from then on until Close
  // returns. Throws DeviceError.
  virtual void Open(InputSink& sink) = 0;
  // Starts delivering (nothing when it runs already) and wires the sources
  // that feed it, at every take. Throws DeviceError.
  virtual void Start() = 0;
  // Open, and running if it was started: it did not end on its own.
  virtual bool Alive() const = 0;
  // Stops delivering, then closes the device: the sink is not called after
  // Close returns. Best effort; never throws.
  virtual void Stop() = 0;
  virtual void Close() = 0;
  // For messages: "Jack, system, 2 channel(s) at 44100 Hz".
  virtual std::string Description() const = 0;
};

}  // namespace ntr
