// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a run's takes are recorded from, in words: the window and the batch
// mode say it, and the run's report keeps it (RunDevices::recording).

#include <string>

#include "session/session_settings.h"

namespace ntr::session {

// "the built-in synthesizer's own output" for the built-in synthesizer;
// otherwise the input chosen ("Audio/Input"): "the audio system's default
// input" or "the audio input \"<setting>\"". `opened`, when the front end
// knows it, is how the audio system describes the input it opened, added in
// brackets.
std::string RecordingSource(const SessionSettings& settings, const std::string& opened = {});

}  // namespace ntr::session
