// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/recording_source.h"

#include "engine/events/midi_device_menu.h"

namespace ntr::session {

std::string RecordingSource(const SessionSettings& settings, const std::string& opened) {
  // The built-in synthesizer is recorded from its own output whatever input is chosen.
  if (IsBuiltInSynthEntry(settings.midiDevice)) return "the built-in synthesizer's own output";
  const std::string& input = settings.options.audioInput;
  std::string text =
      input.empty() ? std::string("the audio system's default input") : "the audio input \"" + input + "\"";
  if (!opened.empty()) text += " (" + opened + ")";
  return text;
}

}  // namespace ntr::session
