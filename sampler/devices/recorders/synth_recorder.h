// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recorder used while the built-in synthesizer plays: it takes the
// synthesizer's own audio, rendered in step with the run's clock, so a take
// needs no sound card and comes out the same on every run.

#include <string>

#include "devices/synth/builtin_synth.h"
#include "devices/takes/recorded_take.h"
#include "engine/ports.h"

namespace ntr {

class SynthRecorder : public RecorderPort {
 public:
  explicit SynthRecorder(BuiltInSynth& synth) : synth_(synth) {}
  ~SynthRecorder() override { Close(); }

  void NewRecording() override;
  void SetFormat(const RecordingFormat& format) override;
  void Record() override;
  void Stop() override;
  void Save(const std::string& path) override;
  void Close() override;

 private:
  BuiltInSynth& synth_;
  RecordingFormat format_;
  RecordedTake take_;
  bool recording_ = false;
};

}  // namespace ntr
