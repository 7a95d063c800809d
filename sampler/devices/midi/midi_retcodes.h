// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The values of MIDI_RetCode, stable from release to release (the window shows
// them in "Couldn't open midi out, MIDI_RetCode = "). Where a cause has a
// counterpart on the Windows multimedia interface, its number is used.

namespace ntr::midi_retcode {

inline constexpr int kOk = 0;
// The device refused to open (the MIDI system reported an error; see LastOpenError).
inline constexpr int kOpenRefused = 1;
// The selected menu entry holds no device (beyond the devices found at start-up).
inline constexpr int kBadDeviceId = 2;
// A close of an output that was not open.
inline constexpr int kNotOpen = 5;
// The MIDI system of the device is not available now (no ALSA sequencer, no JACK server).
inline constexpr int kNoDriver = 6;
// The device found at start-up is no longer there.
inline constexpr int kNoDevice = 68;
// Built-in synthesizer ("MIDI Mapper"): no General MIDI SoundFont installed.
inline constexpr int kNoSoundFont = 1001;
// Built-in synthesizer: the SoundFont exists but could not be loaded.
inline constexpr int kSoundFontUnreadable = 1002;
// Built-in synthesizer: FluidSynth could not be started.
inline constexpr int kSynthesizerFailed = 1003;

}  // namespace ntr::midi_retcode
