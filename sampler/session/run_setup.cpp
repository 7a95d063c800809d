// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/run_setup.h"

#include "session/slider_geometry.h"

namespace ntr::session {

EventSelection SelectionOf(const SessionSettings& settings) {
  const StoredSettings& s = settings.stored;
  EventSelection selection;
  selection.notes = s.notes;
  selection.octaves = s.octaves;
  selection.velocity = s.velocity.toStdString();
  selection.duration = s.duration.toStdString();
  selection.decay = s.decay.toStdString();
  selection.channel = s.channel.toStdString();
  selection.programList = s.programs.toStdString();
  selection.velocityLayers = settings.options.velocityLayers;
  selection.roundRobins = settings.options.roundRobins;
  return selection;
}

void TakeNormalisedFields(StoredSettings& fields, const EventSelection& selection) {
  fields.velocity = QString::fromStdString(selection.velocity);
  fields.duration = QString::fromStdString(selection.duration);
  fields.decay = QString::fromStdString(selection.decay);
}

PlainRunSettings RunSettingsOf(const SessionSettings& settings) {
  const StoredSettings& s = settings.stored;
  PlainRunSettings run;
  run.saveFolder = s.folder.toStdString();
  run.instrumentName = s.gear.toStdString();
  run.programList = s.programs.toStdString();
  run.velocity = s.velocity.toStdString();
  run.channel = s.channel.toStdString();
  run.embedNote = s.embedded;
  run.format.samplesPerSec = RowValue(s.rate, kSampleRateRows, kFirstStartRate);
  run.format.bitsPerSample = RowValue(s.bits, kSampleBitsRows, kFirstStartBits);
  run.format.channels = RowValue(s.channels, kSampleModeRows, kFirstStartMode);
  run.options = settings.options;
  // The built-in synthesizer switches programs at once: its runs never wait.
  if (IsBuiltInSynthEntry(settings.midiDevice)) run.options.pauseAfterProgramChangeMs = 0;
  return run;
}

void ApplyKnobLevel(MixerPort& mixer, int slider, int knobTop) {
  mixer.ApplyKnobLevel(slider, KnobPositionAboveBottom(slider, knobTop),
                       kSliders.at(static_cast<std::size_t>(slider)).Travel());
}

}  // namespace ntr::session
