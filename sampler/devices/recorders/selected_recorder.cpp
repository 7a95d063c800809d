// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/recorders/selected_recorder.h"

#include "engine/events/midi_device_menu.h"

namespace ntr {

void SelectedRecorder::NewRecording() {
  Close();
  current_ = IsBuiltInSynthEntry(midi_.SelectedMidiDevice()) ? &synthRecorder_ : &inputRecorder_;
  current_->NewRecording();
}

RecorderPort& SelectedRecorder::Chosen() {
  if (current_ == nullptr) throw DeviceError("No recording is open: NewRecording comes first");
  return *current_;
}

void SelectedRecorder::SetFormat(const RecordingFormat& format) { Chosen().SetFormat(format); }
void SelectedRecorder::Record() { Chosen().Record(); }
void SelectedRecorder::Stop() { Chosen().Stop(); }
void SelectedRecorder::Save(const std::string& path) { Chosen().Save(path); }

void SelectedRecorder::Close() {
  if (current_ != nullptr) current_->Close();
  current_ = nullptr;
}

void SelectedRecorder::EndOfRun() {
  Close();
  synthRecorder_.EndOfRun();
  inputRecorder_.EndOfRun();
}

void SelectedRecorder::UseAudioInput(const std::string& setting) {
  if (!IsBuiltInSynthEntry(midi_.SelectedMidiDevice())) inputRecorder_.UseAudioInput(setting);
}

}  // namespace ntr
