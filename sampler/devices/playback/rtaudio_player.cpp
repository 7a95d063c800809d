// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/playback/rtaudio_player.h"

#include <RtAudio.h>

#include <algorithm>

#include "devices/quiet_libraries.h"
#include "engine/ports.h"

namespace ntr {

namespace {

// Runs on the audio thread: copies the take's next frames, silence after its end.
int OnAudio(void* output, void* /*input*/, unsigned frames, double /*time*/, RtAudioStreamStatus /*status*/,
            void* data) {
  auto& take = *static_cast<RtAudioPlayer::Take*>(data);
  auto* out = static_cast<float*>(output);
  const std::size_t total = take.samples.size() / static_cast<std::size_t>(take.channels);
  std::size_t frame = take.frame.load();
  for (unsigned i = 0; i < frames; ++i, ++frame) {
    for (int c = 0; c < take.outputChannels; ++c) {
      // A mono take on every output channel; a stereo take on a mono output plays its first channel.
      const int from = std::min(c, take.channels - 1);
      *out++ = frame < total ? take.samples[frame * static_cast<std::size_t>(take.channels) + from] : 0.0f;
    }
  }
  take.frame.store(std::min(frame, total));
  if (frame >= total) {
    take.done.store(true);
    return 1;  // drain what was given, then stop
  }
  return 0;
}

}  // namespace

struct RtAudioPlayer::Device {
  std::unique_ptr<RtAudio> audio;
};

RtAudioPlayer::RtAudioPlayer() { QuietDeviceLibraries(); }  // its probes of absent systems say nothing

RtAudioPlayer::~RtAudioPlayer() { Stop(); }

std::string RtAudioPlayer::Unavailable() {
  try {
    RtAudio audio;
    audio.showWarnings(false);
    if (audio.getDeviceCount() == 0) return "No audio output device was found.";
    const RtAudio::DeviceInfo info = audio.getDeviceInfo(audio.getDefaultOutputDevice());
    if (!info.probed || info.outputChannels == 0) return "The audio system has no default output device.";
  } catch (const std::exception& e) {
    return std::string("The audio output cannot be used: ") + e.what();
  }
  return {};
}

void RtAudioPlayer::Play(std::vector<float> samples, int channels, int sampleRate) {
  Stop();
  if (channels <= 0 || sampleRate <= 0) throw DeviceError("The take holds no audio that can be played.");
  auto device = std::make_unique<Device>();
  auto take = std::make_unique<Take>();
  take->samples = std::move(samples);
  take->channels = channels;
  try {
    device->audio = std::make_unique<RtAudio>();
    device->audio->showWarnings(false);
    if (device->audio->getDeviceCount() == 0) throw DeviceError("No audio output device was found.");
    RtAudio::StreamParameters output;
    output.deviceId = device->audio->getDefaultOutputDevice();
    const RtAudio::DeviceInfo info = device->audio->getDeviceInfo(output.deviceId);
    take->outputChannels = static_cast<int>(std::clamp(info.outputChannels, 1u, 2u));
    output.nChannels = static_cast<unsigned>(take->outputChannels);
    RtAudio::StreamOptions options;
    options.streamName = "NTR take";
    unsigned bufferFrames = 4096;  // listening, not playing live: room against underruns on a busy machine
    device->audio->openStream(&output, nullptr, RTAUDIO_FLOAT32, static_cast<unsigned>(sampleRate), &bufferFrames,
                              &OnAudio, take.get(), &options);
    device->audio->startStream();
  } catch (const DeviceError&) {
    throw;
  } catch (const std::exception& e) {
    throw DeviceError(std::string("Couldn't play the take: ") + e.what());
  }
  take_ = std::move(take);
  device_ = std::move(device);
}

void RtAudioPlayer::Stop() {
  if (!device_) return;
  try {
    if (device_->audio->isStreamRunning()) device_->audio->abortStream();
    if (device_->audio->isStreamOpen()) device_->audio->closeStream();
  } catch (const std::exception&) {
    // Best effort; the RtAudio object below releases the device anyway.
  }
  device_.reset();  // before the samples its callback reads
  take_.reset();
}

bool RtAudioPlayer::Playing() const {
  if (!device_ || !take_) return false;
  return !take_->done.load() || device_->audio->isStreamRunning();
}

}  // namespace ntr
