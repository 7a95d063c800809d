// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/recorders/audio_input_recorder.h"

#include <unistd.h>

#include <RtAudio.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "devices/recorders/audio_inputs.h"
#include "devices/recorders/jack_capture_ports.h"
#include "devices/recorders/spsc_ring.h"
#include "devices/takes/recording_format.h"
#include "devices/takes/take_conversion.h"
#include "devices/takes/wav_saving.h"

namespace ntr {

namespace {

constexpr auto kDrainInterval = std::chrono::milliseconds(10);

// Unique per process and stream, so the recorder's JACK ports have a name
// known in advance (JACK would rename a second client of the same name).
std::string NewJackClientName() {
  static std::atomic<unsigned> streams{0};
  return "NTR recorder " + std::to_string(::getpid()) + "-" + std::to_string(++streams);
}

}  // namespace

struct AudioInputRecorder::Stream {
  Stream(RtAudio::Api api, std::size_t ringSamples, unsigned channelCount)
      : ring(ringSamples), channels(channelCount), audio(std::make_unique<RtAudio>(api)) {}
  ~Stream() {
    audio.reset();  // closes the device: no callback runs after this
    StopDrain();
  }

  SpscRing<float> ring;
  unsigned channels;
  // Set by the user-interface thread for the length of a take; the callback
  // keeps input only while it is set. inCallback tells Stop when a callback
  // that saw it set has finished writing (both sequentially consistent).
  std::atomic<bool> capturing{false};
  std::atomic<bool> inCallback{false};
  std::atomic<uint64_t> overflows{0};      // the device reported lost input during the take
  std::atomic<uint64_t> droppedFrames{0};  // the ring was full during the take
  std::vector<float>* take = nullptr;

  std::mutex drainMutex;
  std::condition_variable drainWake;
  bool stopDrain = false;  // guarded by drainMutex
  std::thread drain;

  std::string clientName;                   // on JACK
  JackConnections connections;              // on JACK: source -> our input port
  std::unique_ptr<JackConnector> connector;  // on JACK
  bool running = false;                     // started (it runs until closed)
  bool takeOpen = false;                    // between Record and Stop
  std::unique_ptr<RtAudio> audio;           // last member: destroyed first, before what its callback uses

  // Runs on the audio thread: no locks, no allocation.
  static int OnAudio(void* /*output*/, void* input, unsigned frames, double /*time*/, RtAudioStreamStatus status,
                     void* self) {
    auto* stream = static_cast<Stream*>(self);
    stream->inCallback.store(true);
    if (stream->capturing.load()) {
      if ((status & RTAUDIO_INPUT_OVERFLOW) != 0) stream->overflows.fetch_add(1, std::memory_order_relaxed);
      if (input != nullptr &&
          !stream->ring.Write(static_cast<const float*>(input), static_cast<std::size_t>(frames) * stream->channels)) {
        stream->droppedFrames.fetch_add(frames, std::memory_order_relaxed);
      }
    }
    stream->inCallback.store(false);
    return 0;
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
        ring.ReadAllInto(*take);
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
    ring.ReadAllInto(*take);  // what arrived after the last pass
  }
};

AudioInputRecorder::AudioInputRecorder(AudioInputOptions options) : defaults_(options), options_(std::move(options)) {}

AudioInputRecorder::~AudioInputRecorder() { EndOfRun(); }

bool AudioInputRecorder::StreamFits() const {
  if (!stream_ || options_ != streamOptions_) return false;
  if (!stream_->audio->isStreamOpen()) return false;
  return !stream_->running || stream_->audio->isStreamRunning();  // not ended on its own
}

void AudioInputRecorder::NewRecording() {
  Close();
  take_.samples.clear();
  if (!StreamFits()) {
    CloseStream();
    OpenStream();
  }
  take_.sampleRate = static_cast<int>(source_.sampleRate);
  take_.channels = static_cast<int>(source_.channels);
}

void AudioInputRecorder::OpenStream() {
  source_ = ChooseAudioSource(options_);
  const auto api = static_cast<RtAudio::Api>(source_.api);
  const std::size_t ringSamples =
      static_cast<std::size_t>(std::ceil(options_.ringSeconds * source_.sampleRate)) * source_.channels;
  std::unique_ptr<Stream> stream;
  try {
    stream = std::make_unique<Stream>(api, std::max<std::size_t>(ringSamples, source_.channels), source_.channels);
  } catch (const std::exception& e) {
    throw DeviceError("Couldn't use the audio system " + source_.apiName + ": " + e.what());
  }
  stream->take = &take_.samples;

  RtAudio::StreamParameters input;
  input.deviceId = source_.device;
  input.nChannels = source_.channels;
  RtAudio::StreamOptions streamOptions;
  streamOptions.flags = RTAUDIO_JACK_DONT_CONNECT;  // the sources are connected explicitly at Record
  stream->clientName = NewJackClientName();
  streamOptions.streamName = stream->clientName;
  // JACK uses its own period whatever is asked. PulseAudio, asked for
  // buffers much under 40 ms, was seen to hold back the first 1.5 s of input.
  unsigned bufferFrames = api == RtAudio::LINUX_PULSE ? 2048 : 512;
  try {
    stream->audio->openStream(nullptr, &input, RTAUDIO_FLOAT32, source_.sampleRate, &bufferFrames,
                              &Stream::OnAudio, stream.get(), &streamOptions);
  } catch (const std::exception& e) {
    throw DeviceError("Couldn't open the audio input (" + SourceDescription() + "): " + e.what());
  }
  if (!stream->audio->isStreamOpen()) {
    throw DeviceError("Couldn't open the audio input (" + SourceDescription() + ")");
  }
  if (api == RtAudio::UNIX_JACK) {
    stream->connector = std::make_unique<JackConnector>();
    for (std::size_t i = 0; i < source_.jackSources.size(); ++i) {
      stream->connections.emplace_back(source_.jackSources[i], stream->clientName + ":inport " + std::to_string(i));
    }
  }
  source_.sampleRate = stream->audio->getStreamSampleRate();
  streamOptions_ = options_;
  stream_ = std::move(stream);
}

std::vector<AudioInputEntry> AudioInputRecorder::AudioInputs() { return ListAudioInputs(); }

void AudioInputRecorder::UseAudioInput(const std::string& setting) {
  CheckAudioInputThere(setting);
  AudioInputOptions chosen = setting.empty() ? defaults_ : AudioInputOptionsOf(setting);
  chosen.ringSeconds = options_.ringSeconds;
  options_ = chosen;
}

void AudioInputRecorder::SetFormat(const RecordingFormat& format) {
  CheckRecordingFormat(format);
  format_ = format;
}

void AudioInputRecorder::Record() {
  if (!stream_) throw DeviceError("The audio input is not open: no new recording was made");
  if (stream_->takeOpen) return;
  try {
    if (!stream_->running) {
      try {
        stream_->audio->startStream();
      } catch (const std::exception& e) {
        throw DeviceError("Couldn't start recording (" + SourceDescription() + "): " + e.what());
      }
      stream_->running = true;
    }
    // At every take: a source that went away and came back is wired again.
    // Only possible once the stream runs.
    if (stream_->connector) stream_->connector->Connect(stream_->connections);
    take_.samples.clear();
    stream_->BeginTake();
  } catch (const DeviceError&) {
    CloseStream();
    throw;
  } catch (const std::exception& e) {  // no thread for the take
    CloseStream();
    throw DeviceError("Couldn't start recording (" + SourceDescription() + "): " + e.what());
  }
  stream_->takeOpen = true;
}

void AudioInputRecorder::EndTake() {
  if (!stream_ || !stream_->takeOpen) return;
  stream_->takeOpen = false;
  stream_->EndTake();
}

void AudioInputRecorder::Stop() {
  if (!stream_ || !stream_->takeOpen) return;
  EndTake();
  const bool endedOnItsOwn = !stream_->audio->isStreamOpen() || !stream_->audio->isStreamRunning();
  const uint64_t overflows = stream_->overflows.load();
  const uint64_t dropped = stream_->droppedFrames.load();
  if (endedOnItsOwn) {
    CloseStream();
    throw DeviceError("The audio input stopped during the take (" + SourceDescription() +
                      "); was the audio server shut down?");
  }
  if (overflows != 0 || dropped != 0) {
    // The stream stays open: the next take starts with an empty ring, and a
    // stream opened anew would add a client to the JACK graph, whose
    // reordering makes the server miss deadlines itself.
    std::string what = "Audio was lost during the take (" + SourceDescription() + "):";
    if (overflows != 0) what += " " + std::to_string(overflows) + " input overrun(s) reported by the audio system";
    if (dropped != 0) what += " " + std::to_string(dropped) + " frames the recorder could not keep up with";
    throw AudioDropoutError(what);
  }
}

void AudioInputRecorder::Save(const std::string& path) {
  if (stream_ && stream_->takeOpen) Stop();
  SavePcmWav(path, format_, ConvertTake(take_, format_));
}

void AudioInputRecorder::Close() { EndTake(); }

void AudioInputRecorder::EndOfRun() {
  Close();
  CloseStream();
}

void AudioInputRecorder::CloseStream() {
  if (!stream_) return;
  try {
    if (stream_->audio->isStreamRunning()) stream_->audio->abortStream();
    if (stream_->audio->isStreamOpen()) stream_->audio->closeStream();
  } catch (const std::exception&) {
    // Closing is best effort; the object below releases the device anyway.
  }
  stream_->EndTake();
  stream_.reset();
}

std::string AudioInputRecorder::SourceDescription() const {
  return source_.apiName + ", " + source_.deviceName + ", " + std::to_string(source_.channels) + " channel(s) at " +
         std::to_string(source_.sampleRate) + " Hz";
}

}  // namespace ntr
