// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether a take already on disk can stand for its event, so that a run that
// was stopped or killed can go on where it was instead of starting over.

#include <string>

#include "engine/ports.h"

namespace ntr {

// True when `file` is a complete, readable PCM WAV of `format` (every byte its
// header announces is there), carrying a sampler chunk whose unity note is
// `note` when `embedNote` is on. Anything else (missing, cut short, another
// format, untagged) is made again. Never throws.
bool IsFinishedTake(const std::string& file, const RecordingFormat& format, bool embedNote, int note);

}  // namespace ntr
