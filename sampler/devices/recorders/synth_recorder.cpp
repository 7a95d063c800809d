// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/recorders/synth_recorder.h"

#include "devices/takes/recording_format.h"
#include "devices/takes/take_conversion.h"
#include "devices/takes/wav_saving.h"

namespace ntr {

void SynthRecorder::NewRecording() {
  Close();
  if (!synth_.IsOpen()) {
    throw DeviceError("The built-in synthesizer is not playing: open the MIDI output (\"MIDI Mapper\") first");
  }
}

void SynthRecorder::SetFormat(const RecordingFormat& format) {
  CheckRecordingFormat(format);
  format_ = format;
}

void SynthRecorder::Record() {
  take_ = {};
  synth_.BeginTake();
  recording_ = true;
}

void SynthRecorder::Stop() {
  if (!recording_) return;
  recording_ = false;
  take_ = synth_.EndTake();
}

void SynthRecorder::Save(const std::string& path) {
  if (recording_) Stop();
  SavePcmWav(path, format_, ConvertTake(take_, format_));
}

void SynthRecorder::Close() {
  if (recording_) synth_.AbandonTake();
  recording_ = false;
  take_ = {};
}

}  // namespace ntr
