// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/recorders/rtaudio_input_stream.h"

#include <unistd.h>

#include <RtAudio.h>

#include <atomic>

#include "devices/recorders/jack_capture_ports.h"
#include "engine/ports.h"

namespace ntr {

namespace {

// Unique per process and stream, so the recorder's JACK ports have a name
// known in advance (JACK would rename a second client of the same name).
std::string NewJackClientName() {
  static std::atomic<unsigned> streams{0};
  return "NTR recorder " + std::to_string(::getpid()) + "-" + std::to_string(++streams);
}

// Runs on the audio thread: hands the input on, nothing else.
int OnAudio(void* /*output*/, void* input, unsigned frames, double /*time*/, RtAudioStreamStatus status,
            void* sink) {
  static_cast<InputSink*>(sink)->OnInput(static_cast<const float*>(input), input != nullptr ? frames : 0,
                                         (status & RTAUDIO_INPUT_OVERFLOW) != 0);
  return 0;
}

}  // namespace

std::string DescribeAudioSource(const AudioSourceChoice& source) {
  return source.apiName + ", " + source.deviceName + ", " + std::to_string(source.channels) + " channel(s) at " +
         std::to_string(source.sampleRate) + " Hz";
}

struct RtAudioInputStream::Device {
  std::string clientName;                   // on JACK
  JackConnections connections;              // on JACK: source -> our input port
  std::unique_ptr<JackConnector> connector;  // on JACK
  bool running = false;                     // started (it runs until closed)
  std::unique_ptr<RtAudio> audio;           // last member: destroyed first
};

RtAudioInputStream::RtAudioInputStream(AudioSourceChoice source) : source_(std::move(source)) {}

RtAudioInputStream::~RtAudioInputStream() = default;

void RtAudioInputStream::Open(InputSink& sink) {
  const auto api = static_cast<RtAudio::Api>(source_.api);
  auto device = std::make_unique<Device>();
  try {
    device->audio = std::make_unique<RtAudio>(api);
  } catch (const std::exception& e) {
    throw DeviceError("Couldn't use the audio system " + source_.apiName + ": " + e.what());
  }

  RtAudio::StreamParameters input;
  input.deviceId = source_.device;
  input.nChannels = source_.channels;
  RtAudio::StreamOptions streamOptions;
  streamOptions.flags = RTAUDIO_JACK_DONT_CONNECT;  // the sources are connected explicitly at Start
  device->clientName = NewJackClientName();
  streamOptions.streamName = device->clientName;
  // JACK uses its own period whatever is asked. PulseAudio, asked for
  // buffers much under 40 ms, was seen to hold back the first 1.5 s of input.
  unsigned bufferFrames = api == RtAudio::LINUX_PULSE ? 2048 : 512;
  try {
    device->audio->openStream(nullptr, &input, RTAUDIO_FLOAT32, source_.sampleRate, &bufferFrames, &OnAudio, &sink,
                              &streamOptions);
  } catch (const std::exception& e) {
    throw DeviceError("Couldn't open the audio input (" + Description() + "): " + e.what());
  }
  if (!device->audio->isStreamOpen()) throw DeviceError("Couldn't open the audio input (" + Description() + ")");
  if (api == RtAudio::UNIX_JACK) {
    device->connector = std::make_unique<JackConnector>();
    for (std::size_t i = 0; i < source_.jackSources.size(); ++i) {
      device->connections.emplace_back(source_.jackSources[i], device->clientName + ":inport " + std::to_string(i));
    }
  }
  source_.sampleRate = device->audio->getStreamSampleRate();
  device_ = std::move(device);
}

void RtAudioInputStream::Start() {
  if (!device_) throw DeviceError("The audio input is not open: no new recording was made");
  if (!device_->running) {
    try {
      device_->audio->startStream();
    } catch (const std::exception& e) {
      throw DeviceError("Couldn't start recording (" + Description() + "): " + e.what());
    }
    device_->running = true;
  }
  // Only possible once the stream runs.
  if (device_->connector) device_->connector->Connect(device_->connections);
}

bool RtAudioInputStream::Alive() const {
  if (!device_ || !device_->audio->isStreamOpen()) return false;
  return !device_->running || device_->audio->isStreamRunning();
}

void RtAudioInputStream::Stop() {
  if (!device_) return;
  try {
    if (device_->audio->isStreamRunning()) device_->audio->abortStream();
  } catch (const std::exception&) {
    // Best effort; Close releases the device anyway.
  }
}

void RtAudioInputStream::Close() {
  if (!device_) return;
  try {
    if (device_->audio->isStreamOpen()) device_->audio->closeStream();
  } catch (const std::exception&) {
    // Best effort; the object below releases the device anyway.
  }
  device_.reset();
}

}  // namespace ntr
