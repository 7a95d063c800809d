// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/capture/capture_core.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "devices/capture/spsc_ring.h"
#include "engine/ports.h"

namespace ntr {

namespace {

constexpr auto kDrainInterval = std::chrono::milliseconds(10);

std::size_t RingSamples(const InputFormat& format, double seconds) {
  const auto samples = static_cast<std::size_t>(std::ceil(seconds * format.sampleRate)) * format.channels;
  return std::max<std::size_t>(samples, format.channels);
}

}  // namespace

// One open stream and what its takes need: the ring, the drain thread and
// the flags the audio thread shares with the user-interface thread.
struct CaptureCore::Capture final : InputSink {
  Capture(std::unique_ptr<InputStream> input, double ringSeconds, std::vector<float>& takeSamples)
      : ring(RingSamples(input->Format(), ringSeconds)),
        channels(input->Format().channels),
        take(takeSamples),
        stream(std::move(input)) {}
  ~Capture() {
    stream.reset();  // closes the device: no callback runs after this
    StopDrain();
  }
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;

  SpscRing<float> ring;
  unsigned channels;
  // Set by the user-interface thread for the length of a take; the callback
  // keeps input only while it is set. inCallback tells Stop when a callback
  // that saw it set has finished writing (both sequentially consistent).
  std::atomic<bool> capturing{false};
  std::atomic<bool> inCallback{false};
  std::atomic<uint64_t> overflows{0};      // the stream reported lost input during the take
  std::atomic<uint64_t> droppedFrames{0};  // the ring was full during the take
  std::vector<float>& take;

  std::mutex drainMutex;
  std::condition_variable drainWake;
  bool stopDrain = false;  // guarded by drainMutex
  std::thread drain;

  bool takeOpen = false;                // between Start and Stop
  std::unique_ptr<InputStream> stream;  // last member: destroyed first, before what its callback uses

  // Runs on the audio thread: no locks, no allocation.
  void OnInput(const float* interleaved, std::size_t frames, bool overflow) override {
    inCallback.store(true);
    if (capturing.load()) {
      if (overflow) overflows.fetch_add(1, std::memory_order_relaxed);
      if (frames != 0 && !ring.Write(interleaved, frames * channels)) {
        droppedFrames.fetch_add(frames, std::memory_order_relaxed);
      }
    }
    inCallback.store(false);
  }

  // The ring is empty here: every take drains it after the callback stopped writing.
  void BeginTake() {
    overflows.store(0);
    droppedFrames.store(0);
    StartDrain();
    capturing.store(true);
  }

  // After this the callback writes no more and the take holds all it wrote.
  void EndTake() {
    capturing.store(false);
    while (inCallback.load()) std::this_thread::yield();  // at most the rest of one short copy
    StopDrain();
  }

  void StartDrain() {
    {
      const std::lock_guard lock(drainMutex);
      stopDrain = false;
    }
    drain = std::thread([this] {
      std::unique_lock lock(drainMutex);
      while (!stopDrain) {
        lock.unlock();
        ring.ReadAllInto(take);
        lock.lock();
        drainWake.wait_for(lock, kDrainInterval, [this] { return stopDrain; });
      }
    });
  }

  void StopDrain() {
    if (!drain.joinable()) return;
    {
      const std::lock_guard lock(drainMutex);
      stopDrain = true;
    }
    drainWake.notify_one();
    drain.join();
    ring.ReadAllInto(take);  // what arrived after the last pass
  }
};

CaptureCore::CaptureCore(double ringSeconds) : ringSeconds_(ringSeconds) {}

CaptureCore::~CaptureCore() {
  EndTake();
  CloseStream();
}

bool CaptureCore::Recording() const { return capture_ && capture_->takeOpen; }

std::string CaptureCore::StreamDescription() const { return capture_ ? capture_->stream->Description() : ""; }

void CaptureCore::NewTake(bool streamFits, const StreamMaker& make) {
  EndTake();
  take_.samples.clear();
  if (!streamFits || !capture_ || !capture_->stream->Alive()) {
    CloseStream();
    std::unique_ptr<InputStream> stream = make();
    auto capture = std::make_unique<Capture>(std::move(stream), ringSeconds_, take_.samples);
    capture->stream->Open(*capture);
    capture_ = std::move(capture);
  }
  const InputFormat format = capture_->stream->Format();
  take_.sampleRate = static_cast<int>(format.sampleRate);
  take_.channels = static_cast<int>(format.channels);
}

void CaptureCore::Start() {
  if (!capture_) throw DeviceError("The audio input is not open: no new recording was made");
  if (capture_->takeOpen) return;
  try {
    capture_->stream->Start();
    take_.samples.clear();
    capture_->BeginTake();
  } catch (const DeviceError&) {
    CloseStream();
    throw;
  } catch (const std::exception& e) {  // no thread for the take
    const std::string source = StreamDescription();
    CloseStream();
    throw DeviceError("Couldn't start recording (" + source + "): " + e.what());
  }
  capture_->takeOpen = true;
}

void CaptureCore::EndTake() {
  if (!capture_ || !capture_->takeOpen) return;
  capture_->takeOpen = false;
  capture_->EndTake();
}

void CaptureCore::Stop() {
  if (!Recording()) return;
  EndTake();
  const bool endedOnItsOwn = !capture_->stream->Alive();
  const uint64_t overflows = capture_->overflows.load();
  const uint64_t dropped = capture_->droppedFrames.load();
  const std::string source = StreamDescription();
  if (endedOnItsOwn) {
    CloseStream();
    throw DeviceError("The audio input stopped during the take (" + source + "); was the audio server shut down?");
  }
  if (overflows != 0 || dropped != 0) {
    // The stream stays open: the next take starts with an empty ring, and a
    // stream opened anew would add a client to the JACK graph, whose
    // reordering makes the server miss deadlines itself.
    std::string what = "Audio was lost during the take (" + source + "):";
    if (overflows != 0) what += " " + std::to_string(overflows) + " input overrun(s) reported by the audio system";
    if (dropped != 0) what += " " + std::to_string(dropped) + " frames the recorder could not keep up with";
    throw AudioDropoutError(what);
  }
}

void CaptureCore::CloseStream() {
  if (!capture_) return;
  capture_->stream->Stop();
  capture_->stream->Close();
  capture_->EndTake();
  capture_.reset();
}

}  // namespace ntr
