// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/monitor/audio_input_meter.h"

#include <algorithm>
#include <cmath>

#include "devices/quiet_libraries.h"
#include "devices/recorders/audio_inputs.h"
#include "devices/recorders/audio_source_choice.h"
#include "devices/recorders/rtaudio_input_stream.h"

namespace ntr {

namespace {

double Dbfs(double amplitude) {
  return amplitude > 0.0 ? std::max(20.0 * std::log10(amplitude), kSilenceFloorDbfs) : kSilenceFloorDbfs;
}

}  // namespace

AudioInputMeter::AudioInputMeter() { QuietDeviceLibraries(); }  // its probes of absent systems say nothing

AudioInputMeter::~AudioInputMeter() { Close(); }

std::vector<AudioInputEntry> AudioInputMeter::AudioInputs() { return ListAudioInputs(); }

void AudioInputMeter::Open(const std::string& setting) {
  Close();
  const AudioSourceChoice source = ChooseAudioSource(AudioInputOptionsOf(setting));
  auto stream = std::make_unique<RtAudioInputStream>(source);
  channels_ = std::max(source.channels, 1u);
  Read();  // nothing left of the input before
  stream->Open(*this);
  try {
    stream->Start();
  } catch (...) {
    stream->Close();
    throw;
  }
  stream_ = std::move(stream);
}

void AudioInputMeter::Close() {
  if (!stream_) return;
  stream_->Stop();
  stream_->Close();
  stream_.reset();
}

std::string AudioInputMeter::Description() const { return stream_ ? stream_->Description() : std::string(); }

// The audio thread: no allocation, no lock.
void AudioInputMeter::OnInput(const float* interleaved, std::size_t frames, bool /*overflow*/) {
  if (interleaved == nullptr || frames == 0) return;
  float peak = 0.0f;
  double energy = 0.0;
  bool clipped = false;
  const std::size_t count = frames * channels_;
  for (std::size_t i = 0; i < count; ++i) {
    const float v = std::fabs(interleaved[i]);
    peak = std::max(peak, v);
    energy += static_cast<double>(v) * v;
    fullScaleRun_ = v >= 1.0f ? fullScaleRun_ + 1 : 0;
    clipped = clipped || fullScaleRun_ >= kClippedRun * static_cast<int>(channels_);
  }
  float seen = peak_.load();
  while (peak > seen && !peak_.compare_exchange_weak(seen, peak)) {
  }
  double sum = energy_.load();
  while (!energy_.compare_exchange_weak(sum, sum + energy)) {
  }
  samples_.fetch_add(count);
  if (clipped) clipped_.store(true);
}

InputMeterReading AudioInputMeter::Read() {
  InputMeterReading reading;
  const std::size_t samples = samples_.exchange(0);
  const double energy = energy_.exchange(0.0);
  reading.frames = samples / channels_;
  reading.peakDbfs = Dbfs(peak_.exchange(0.0f));
  reading.rmsDbfs = samples > 0 ? Dbfs(std::sqrt(energy / static_cast<double>(samples))) : kSilenceFloorDbfs;
  reading.clipped = clipped_.exchange(false);
  return reading;
}

}  // namespace ntr
