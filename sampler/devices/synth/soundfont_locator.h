// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the built-in synthesizer finds its General MIDI SoundFont.

#include <string>
#include <vector>

namespace ntr {

// The usual places on Debian, Fedora, Arch and friends, best first
// (the Debian alternative default-GM.sf2 points at the installed GM SoundFont).
std::vector<std::string> DefaultSoundFontCandidates();

// The SoundFont to load: the file named by NTR_SOUNDFONT when that variable is
// set (it must exist), otherwise the first existing candidate. Throws
// DeviceError naming the places looked at and the packages that provide one.
std::string FindGeneralMidiSoundFont(const std::vector<std::string>& candidates);

}  // namespace ntr
