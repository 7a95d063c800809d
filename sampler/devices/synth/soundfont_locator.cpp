// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/synth/soundfont_locator.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "engine/ports.h"

namespace ntr {

namespace {

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);  // follows the alternative's link
}

}  // namespace

std::vector<std::string> DefaultSoundFontCandidates() {
  return {
      "/usr/share/sounds/sf2/default-GM.sf2",
      "/usr/share/sounds/sf2/FluidR3_GM.sf2",
      "/usr/share/sounds/sf2/TimGM6mb.sf2",
      "/usr/share/sounds/sf3/default-GM.sf3",
      "/usr/share/sounds/sf3/FluidR3_GM.sf3",
      "/usr/share/sounds/sf3/MuseScore_General.sf3",
      "/usr/share/soundfonts/default.sf2",
      "/usr/share/soundfonts/FluidR3_GM.sf2",
      "/usr/share/soundfonts/FluidR3_GM2-2.sf2",
      "/usr/share/soundfonts/freepats-general-midi.sf2",
      "/usr/local/share/soundfonts/default.sf2",
  };
}

std::string FindGeneralMidiSoundFont(const std::vector<std::string>& candidates) {
  if (const char* chosen = std::getenv("NTR_SOUNDFONT"); chosen != nullptr && *chosen != '\0') {
    if (IsRegularFile(chosen)) return chosen;
    throw DeviceError(std::string("The SoundFont named by NTR_SOUNDFONT does not exist: ") + chosen);
  }
  for (const auto& path : candidates) {
    if (IsRegularFile(path)) return path;
  }
  std::string looked;
  for (const auto& path : candidates) looked += "\n  " + path;
  throw DeviceError(
      "The built-in synthesizer needs a General MIDI SoundFont and none was found. "
      "Install one, e.g. with \"sudo apt install timgm6mb-soundfont\" (or fluid-soundfont-gm), "
      "or name a .sf2 file in the environment variable NTR_SOUNDFONT. Looked in:" +
      looked);
}

}  // namespace ntr
