// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/command_line.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <string>
#include <string_view>

#include "session/setting_keys.h"
#include "batch/exit_codes.h"

namespace ntr::batch {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// --fast is this setting for the run, as --set would give it.
constexpr std::string_view kFastKey = "Synth/RenderFast";

// "--name" or "--name=value".
bool IsOption(std::string_view argument, std::string_view name) {
  return argument == name || StartsWith(argument, std::string(name) + "=");
}

// The settings --make-instrument reads: how its regions play, and their gain.
bool IsInstrumentFileKey(const std::string& key) {
  std::string lower;
  for (const char c : key) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower == "playmode" || lower == "instrument/playmode" || lower == "normalize" ||
         lower == "instrument/normalize";
}

// --list-devices and --make-instrument each do their job alone: another
// option (--help aside, and --set PlayMode and Normalize for --make-instrument) would be
// ignored without a word, so it is refused.
void RefuseOtherOptions(const CommandLine& line, std::string_view option) {
  const bool both = static_cast<int>(line.listDevices) + static_cast<int>(line.makeInstrument.has_value()) +
                        static_cast<int>(line.checkInstrument.has_value()) >
                    1;
  const bool onlyFileKeys = line.makeInstrument && std::all_of(line.overrides.begin(), line.overrides.end(),
                                                               [](const auto& o) { return IsInstrumentFileKey(o.key); });
  if (both || line.batch || line.settingsFile || !(line.overrides.empty() || onlyFileKeys) || line.resume ||
      line.force) {
    throw BatchError(kExitUsage, std::string(option) + " takes no other option (NTR --help lists the options)");
  }
}

}  // namespace

bool IsBatchCommandLine(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i] ? argv[i] : "";
    if (argument == "--batch" || argument == "--help" || argument == "-h" || argument == "--version" ||
        argument == "--setting-names" || argument == "--fast" || argument == "--resume" || argument == "--force" ||
        argument == "--list-devices" || IsOption(argument, "--settings") || IsOption(argument, "--set") ||
        IsOption(argument, "--make-instrument") || IsOption(argument, "--check-instrument")) {
      return true;
    }
  }
  return false;
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  // The value of an option: after "=" in the same argument, or the next argument.
  auto valueOf = [&arguments](std::size_t& i, std::string_view name) -> std::string {
    const std::string& argument = arguments[i];
    if (argument.size() > name.size() && argument[name.size()] == '=') return argument.substr(name.size() + 1);
    if (i + 1 >= arguments.size()) throw BatchError(kExitUsage, std::string(name) + " needs a value");
    return arguments[++i];
  };

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--batch") {
      line.batch = true;
    } else if (argument == "--help" || argument == "-h") {
      line.help = true;
    } else if (argument == "--version") {
      line.version = true;
    } else if (argument == "--setting-names") {
      line.settingNames = true;
    } else if (argument == "--fast") {
      line.overrides.push_back({std::string(kFastKey), "1"});
    } else if (argument == "--list-devices") {
      line.listDevices = true;
    } else if (argument == "--resume") {
      line.resume = true;
    } else if (argument == "--force") {
      line.force = true;
    } else if (IsOption(argument, "--make-instrument")) {
      line.makeInstrument = valueOf(i, "--make-instrument");
      if (line.makeInstrument->empty()) throw BatchError(kExitUsage, "--make-instrument needs a folder");
    } else if (IsOption(argument, "--check-instrument")) {
      line.checkInstrument = valueOf(i, "--check-instrument");
      if (line.checkInstrument->empty()) throw BatchError(kExitUsage, "--check-instrument needs a folder");
    } else if (IsOption(argument, "--tolerance-cents")) {
      const std::string value = valueOf(i, "--tolerance-cents");
      std::size_t used = 0;
      double cents = -1.0;
      try {
        cents = std::stod(value, &used);
      } catch (const std::exception&) {
      }
      if (used != value.size() || !(cents > 0.0 && cents <= 1200.0)) {
        throw BatchError(kExitUsage, "--tolerance-cents takes cents above 0 and up to 1200, not \"" + value + "\"");
      }
      line.toleranceCents = cents;
    } else if (IsOption(argument, "--settings")) {
      line.settingsFile = valueOf(i, "--settings");
      if (line.settingsFile->empty()) throw BatchError(kExitUsage, "--settings needs a file name");
    } else if (IsOption(argument, "--set")) {
      const std::string assignment = valueOf(i, "--set");
      const std::size_t equals = assignment.find('=');
      if (equals == std::string::npos || equals == 0) {
        throw BatchError(kExitUsage, "--set " + assignment + ": write it as Key=Value, e.g. --set Duration=1500");
      }
      line.overrides.push_back({assignment.substr(0, equals), assignment.substr(equals + 1)});
    } else {
      throw BatchError(kExitUsage, "unknown argument \"" + argument + "\" (NTR --help lists the options)");
    }
  }
  if (line.toleranceCents && !line.checkInstrument) {
    throw BatchError(kExitUsage, "--tolerance-cents works with --check-instrument only");
  }
  if (line.makeInstrument || line.listDevices || line.checkInstrument) {
    RefuseOtherOptions(line, line.makeInstrument    ? "--make-instrument"
                             : line.checkInstrument ? "--check-instrument"
                                                    : "--list-devices");
    return line;
  }
  if (!line.help && !line.version && !line.settingNames && !line.batch) {
    throw BatchError(kExitUsage, "--settings, --set, --fast, --resume and --force work with --batch only (NTR --help "
                                 "lists the options)");
  }
  return line;
}

std::string UsageText() {
  std::string text =
      "Usage: NTR                      open the sampler's window\n"
      "       NTR --batch [OPTIONS]    one sampling run without a window\n"
      "       NTR --list-devices       the MIDI outputs and audio inputs there are,\n"
      "                                with what --set takes to choose each\n"
      "       NTR --make-instrument FOLDER\n"
      "                                the instrument files of a folder of takes\n"
      "       NTR --check-instrument FOLDER [--tolerance-cents N]\n"
      "                                play the instrument of a folder and check it\n"
      "       NTR --takes FOLDER       the takes of an instrument's folder: their\n"
      "                                figures and waveforms, to look and listen\n"
      "       NTR --help               this text\n"
      "       NTR --version            the program's name and version\n"
      "\n"
      "--batch makes one run with the settings the window saved last (File > Save\n"
      "Settings) and the MIDI device picked last in \"MIDI Devices\": the events are\n"
      "generated as the window does when it opens, then played, recorded and saved\n"
      "as START does. The settings are read, never written.\n"
      "\n"
      "Options:\n"
      "  --settings FILE     read the settings from FILE (an INI file with a\n"
      "                      [Parameters] group) instead of the user's settings\n"
      "  --set Key=Value     change one setting for this run (repeatable; the last\n"
      "                      one wins); keys are matched without regard to case\n"
      "  --fast              render the built-in synthesizer's takes faster than\n"
      "                      real time (as --set RenderFast=1; no effect with other\n"
      "                      MIDI devices)\n"
      "  --resume            skip every note whose file is already a finished take\n"
      "                      of the run's format (a stopped or killed run goes on\n"
      "                      where it was); the same as --set SkipTakesAlreadyMade=1\n"
      "  --force             start even when the save folder's disk has less free\n"
      "                      space than the run needs\n"
      "\n"
      "--make-instrument FOLDER writes, into an instrument's folder\n"
      "(<save folder>/<instrument>), the files a software sampler opens, made from\n"
      "the takes in its PATCH_<program> folders: <instrument>_PATCH_<program>.sfz\n"
      "(SFZ) and .dspreset (DecentSampler) for each program, and <instrument>.sf2\n"
      "(SoundFont 2, one preset per program). The setting WriteInstrumentFiles does\n"
      "the same after every run. --set PlayMode=... and --set Normalize=... may\n"
      "come with it.\n"
      "\n"
      "--check-instrument FOLDER plays the folder's <instrument>.sf2 in FluidSynth,\n"
      "every key from the lowest to the highest sampled one at each layer's velocity,\n"
      "and checks that no key is silent, that each is within --tolerance-cents\n"
      "(default 5) of equal temperament at A = 440 Hz wherever it has a steady pitch,\n"
      "and that each layer is louder than the one below; the SFZ and DecentSampler\n"
      "files must name existing samples and cover the same keys. It prints one line\n"
      "per problem and a summary; a run with WriteInstrumentFiles=1 does the same.\n"
      "\n"
      "Settings:\n";
  for (const session::SettingKey& key : session::SettingKeys()) {
    std::string name(key.name);
    name += std::string(name.size() < 12 ? 12 - name.size() : 2, ' ');
    text += "  " + name + std::string(key.values) + "\n";
  }
  text +=
      "\n"
      "Progress: a bar with the events done, the time elapsed, the estimate and the\n"
      "note playing on a terminal; one line per saved take otherwise.\n"
      "Ctrl-C, SIGTERM or SIGHUP stops the run after the note in progress, whose take\n"
      "is saved.\n"
      "\n"
      "Exit status:\n"
      "  0    every event was played, recorded and saved\n"
      "  1    an event failed during the run (the takes before it are kept)\n"
      "  2    bad command line, settings file or setting value; nothing was played\n"
      "  3    the MIDI device or the audio input is missing or does not open, or the\n"
      "       instrument is silent (its test notes did not sound)\n"
      "  4    the save folder cannot be made or written, or has not enough free space\n"
      "       for the run (see --force); --make-instrument: the folder is missing or\n"
      "       a file cannot be written\n"
      "  5    --make-instrument, --check-instrument: the folder holds no takes\n"
      "  6    --check-instrument: a key is silent or out of tune, or a layer is not\n"
      "       louder than the one below, or the SFZ or DecentSampler file is amiss\n"
      "  130  stopped by Ctrl-C (SIGINT); 143 by SIGTERM, 129 by SIGHUP; the takes made\n"
      "       are kept\n"
      "\n"
      "Environment: NTR_SOUNDFONT (the built-in synthesizer's SoundFont while the\n"
      "setting SoundFont is empty), NTR_AUDIO_API (jack, pulse or alsa),\n"
      "NTR_JACK_CAPTURE_PORTS (JACK ports to record, \"a:x,b:y\"); both apply while\n"
      "the setting Input is empty.\n";
  return text;
}

std::string VersionText() { return std::string("NTR ") + NTR_VERSION + "\n"; }

std::string SettingNamesText() {
  std::string text;
  for (const session::SettingKey& key : session::SettingKeys()) text += std::string(key.name) + "\n";
  return text;
}

}  // namespace ntr::batch
