// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recorder the program hands to the engine. At every NewRecording it
// follows the MIDI device of the run: with "MIDI Mapper" (the built-in
// synthesizer) it records the synthesizer's own audio, with any other device
// the sound card's input. The other calls go to the recorder chosen there.
// A recorder may keep its device open between the takes of a run; EndOfRun
// releases both.

#include <string>
#include <vector>

#include "engine/ports.h"

namespace ntr {

class SelectedRecorder : public RecorderPort {
 public:
  SelectedRecorder(const MidiDevicesPort& midi, RecorderPort& synthRecorder, RecorderPort& inputRecorder)
      : midi_(midi), synthRecorder_(synthRecorder), inputRecorder_(inputRecorder) {}

  void NewRecording() override;
  void SetFormat(const RecordingFormat& format) override;
  void Record() override;
  void Stop() override;
  void Save(const std::string& path) override;
  void Close() override;
  // Both recorders: a run may have used either.
  void EndOfRun() override;
  // The sound card's inputs; the built-in synthesizer is recorded from its
  // own output whatever the input, so its runs leave the input alone.
  std::vector<AudioInputEntry> AudioInputs() override { return inputRecorder_.AudioInputs(); }
  void UseAudioInput(const std::string& setting) override;

  // The recorder of the current recording (nullptr before NewRecording).
  RecorderPort* Current() const { return current_; }

 private:
  RecorderPort& Chosen();

  const MidiDevicesPort& midi_;
  RecorderPort& synthRecorder_;
  RecorderPort& inputRecorder_;
  RecorderPort* current_ = nullptr;
};

}  // namespace ntr
