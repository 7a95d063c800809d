#include "devices/audio_input_recorder.h"

#include <unistd.h>

#include <RtAudio.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "devices/jack_capture_ports.h"
#include "devices/recording_format.h"
#include "devices/spsc_ring.h"
#include "devices/take_conversion.h"
#include "devices/wav_saving.h"

namespace ntr {

namespace {

constexpr auto kDrainInterval = std::chrono::milliseconds(10);

// Unique per process and recording, so the recorder's JACK ports have a name
// known in advance (JACK would rename a second client of the same name).
std::string NewJackClientName() {
  static std::atomic<unsigned> recordings{0};
  return "NTR recorder " + std::to_string(::getpid()) + "-" + std::to_string(++recordings);
}

}  // namespace

struct AudioInputRecorder::Stream {
  Stream(RtAudio::Api api, std::size_t ringSamples, unsigned channelCount)
      : ring(ringSamples), channels(channelCount), audio(std::make_unique<RtAudio>(api)) {}
  ~Stream() {
    StopDrain();
    audio.reset();  // closes the device: no callback runs after this
  }

  SpscRing<float> ring;
  unsigned channels;
  std::atomic<uint64_t> overflows{0};      // the device reported lost input
  std::atomic<uint64_t> droppedFrames{0};  // the ring was full
  std::atomic<bool> stopDrain{false};
  std::thread drain;
  std::vector<float>* take = nullptr;
  std::string clientName;  // on JACK
  bool started = false;
  std::unique_ptr<RtAudio> audio;  // last member: destroyed first, before what its callback uses

  // Runs on the audio thread: no locks, no allocation.
  static int OnAudio(void* /*output*/, void* input, unsigned frames, double /*time*/, RtAudioStreamStatus status,
                     void* self) {
    auto* stream = static_cast<Stream*>(self);
    if ((status & RTAUDIO_INPUT_OVERFLOW) != 0) stream->overflows.fetch_add(1, std::memory_order_relaxed);
    if (input != nullptr &&
        !stream->ring.Write(static_cast<const float*>(input), static_cast<std::size_t>(frames) * stream->channels)) {
      stream->droppedFrames.fetch_add(frames, std::memory_order_relaxed);
    }
    return 0;
  }

  void StartDrain() {
    stopDrain.store(false);
    drain = std::thread([this] {
      while (!stopDrain.load(std::memory_order_acquire)) {
        ring.ReadAllInto(*take);
        std::this_thread::sleep_for(kDrainInterval);
      }
    });
  }

  void StopDrain() {
    if (!drain.joinable()) return;
    stopDrain.store(true, std::memory_order_release);
    drain.join();
    ring.ReadAllInto(*take);  // what arrived after the last pass
  }
};

AudioInputRecorder::AudioInputRecorder(AudioInputOptions options) : options_(std::move(options)) {}

AudioInputRecorder::~AudioInputRecorder() { Close(); }

void AudioInputRecorder::NewRecording() {
  Close();
  take_ = {};
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
  source_.sampleRate = stream->audio->getStreamSampleRate();
  take_.sampleRate = static_cast<int>(source_.sampleRate);
  take_.channels = static_cast<int>(source_.channels);
  stream->take = &take_.samples;
  stream_ = std::move(stream);
}

void AudioInputRecorder::SetFormat(const RecordingFormat& format) {
  CheckRecordingFormat(format);
  format_ = format;
}

void AudioInputRecorder::Record() {
  if (!stream_) throw DeviceError("The audio input is not open: no new recording was made");
  if (stream_->started) return;
  take_.samples.clear();
  stream_->StartDrain();
  try {
    stream_->audio->startStream();
  } catch (const std::exception& e) {
    stream_->StopDrain();
    throw DeviceError("Couldn't start recording (" + SourceDescription() + "): " + e.what());
  }
  stream_->started = true;
  if (static_cast<RtAudio::Api>(source_.api) == RtAudio::UNIX_JACK) {
    std::vector<std::pair<std::string, std::string>> connections;
    for (std::size_t i = 0; i < source_.jackSources.size(); ++i) {
      connections.emplace_back(source_.jackSources[i], stream_->clientName + ":inport " + std::to_string(i));
    }
    ConnectJackPorts(connections);  // only possible once the stream runs
  }
}

void AudioInputRecorder::Stop() {
  if (!stream_ || !stream_->started) return;
  stream_->started = false;
  const bool endedOnItsOwn = !stream_->audio->isStreamOpen() || !stream_->audio->isStreamRunning();
  std::string stopError;
  if (!endedOnItsOwn) {
    try {
      stream_->audio->stopStream();
    } catch (const std::exception& e) {
      stopError = e.what();
    }
  }
  stream_->StopDrain();

  if (endedOnItsOwn) {
    throw DeviceError("The audio input stopped during the take (" + SourceDescription() +
                      "); was the audio server shut down?");
  }
  if (!stopError.empty()) throw DeviceError("Couldn't stop recording: " + stopError);
  const uint64_t overflows = stream_->overflows.load();
  const uint64_t dropped = stream_->droppedFrames.load();
  if (overflows != 0 || dropped != 0) {
    std::string what = "Audio was lost during the take (" + SourceDescription() + "):";
    if (overflows != 0) what += " " + std::to_string(overflows) + " input overrun(s) reported by the audio system";
    if (dropped != 0) what += " " + std::to_string(dropped) + " frames the recorder could not keep up with";
    throw DeviceError(what);
  }
}

void AudioInputRecorder::Save(const std::string& path) {
  if (stream_ && stream_->started) Stop();
  SavePcmWav(path, format_, ConvertTake(take_, format_));
}

void AudioInputRecorder::Close() {
  if (!stream_) return;
  try {
    if (stream_->audio->isStreamRunning()) stream_->audio->abortStream();
    if (stream_->audio->isStreamOpen()) stream_->audio->closeStream();
  } catch (const std::exception&) {
    // Closing is best effort; the object below releases the device anyway.
  }
  stream_->StopDrain();
  stream_.reset();
}

std::string AudioInputRecorder::SourceDescription() const {
  return source_.apiName + ", " + source_.deviceName + ", " + std::to_string(source_.channels) + " channel(s) at " +
         std::to_string(source_.sampleRate) + " Hz";
}

}  // namespace ntr
