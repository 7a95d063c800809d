// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/recorders/audio_input_recorder.h"

#include "devices/recorders/audio_inputs.h"
#include "devices/recorders/rtaudio_input_stream.h"
#include "devices/takes/recording_format.h"
#include "devices/takes/take_conversion.h"
#include "devices/takes/wav_saving.h"

namespace ntr {

AudioInputRecorder::AudioInputRecorder(AudioInputOptions options)
    : defaults_(options), options_(std::move(options)), capture_(options_.ringSeconds) {}

AudioInputRecorder::~AudioInputRecorder() { EndOfRun(); }

void AudioInputRecorder::NewRecording() {
  capture_.NewTake(options_ == streamOptions_, [this] {
    source_ = ChooseAudioSource(options_);
    return std::make_unique<RtAudioInputStream>(source_);
  });
  source_.sampleRate = static_cast<unsigned>(capture_.Take().sampleRate);  // the stream's own rate
  streamOptions_ = options_;
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

void AudioInputRecorder::Record() { capture_.Start(); }

void AudioInputRecorder::Stop() { capture_.Stop(); }

void AudioInputRecorder::Save(const std::string& path) {
  if (capture_.Recording()) Stop();
  SavePcmWav(path, format_, ConvertTake(capture_.Take(), format_));
}

void AudioInputRecorder::Close() { capture_.EndTake(); }

void AudioInputRecorder::EndOfRun() {
  Close();
  capture_.CloseStream();
}

std::string AudioInputRecorder::SourceDescription() const { return DescribeAudioSource(source_); }

}  // namespace ntr
