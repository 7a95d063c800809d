// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The exit status of `NTR --batch`: scripts that start long runs rely on these
// numbers, so they never change.

namespace ntr::batch {

inline constexpr int kExitDone = 0;          // every event was played, recorded and saved
inline constexpr int kExitRunFailed = 1;     // an event failed during the run; the takes before it are kept
inline constexpr int kExitUsage = 2;         // bad command line, settings file or key value; nothing was played
inline constexpr int kExitDevice = 3;        // the MIDI device or the audio input is missing or does not open
inline constexpr int kExitFolder = 4;        // the save folder cannot be made or written, or is too full
inline constexpr int kExitNoTakes = 5;       // --make-instrument: the folder holds no takes
inline constexpr int kExitCheckFailed =
    6;  // --check-instrument: a key is silent, out of tune or not louder with velocity
inline constexpr int kExitSignalBase = 128;  // stopped by a signal: 128 + its number (130 Ctrl-C, 143 SIGTERM, 129 SIGHUP)

}  // namespace ntr::batch
