// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// From settings to what a run needs: the selection "Generate Events" reads,
// the values START reads, and the recording levels the knobs stand for.

#include <functional>

#include "engine/events/event_list.h"
#include "engine/ports.h"
#include "engine/run/run_settings.h"
#include "session/session_settings.h"

namespace ntr::session {

// The fields as "Generate Events" reads them.
EventSelection SelectionOf(const SessionSettings& settings);
// What generation wrote back into the selection (velocity "abc" became "127",
// ...), put back into the fields as the window shows it.
void TakeNormalisedFields(StoredSettings& fields, const EventSelection& selection);
// The values as a run reads them.
PlainRunSettings RunSettingsOf(const SessionSettings& settings);

// A run's view of settings that may change while it runs (the window's
// fields): every read asks `current` for the settings of that moment.
class LiveRunSettings : public RunSettingsSource {
 public:
  explicit LiveRunSettings(std::function<SessionSettings()> current) : current_(std::move(current)) {}

  std::string SaveFolder() const override { return Now().saveFolder; }
  std::string InstrumentName() const override { return Now().instrumentName; }
  std::string ProgramListText() const override { return Now().programList; }
  std::string VelocityText() const override { return Now().velocity; }
  std::string ChannelText() const override { return Now().channel; }
  bool EmbedNote() const override { return Now().embedNote; }
  RecordingFormat Format() const override { return Now().format; }
  RunOptions Options() const override { return Now().options; }

 private:
  PlainRunSettings Now() const { return RunSettingsOf(current_()); }

  std::function<SessionSettings()> current_;
};

// Sets recording level `slider` (0 line input, 1 microphone, 2 output) from
// its knob's top, as the mixer takes it.
void ApplyKnobLevel(MixerPort& mixer, int slider, int knobTop);

}  // namespace ntr::session
