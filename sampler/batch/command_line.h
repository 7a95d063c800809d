// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of the unattended mode:
//   NTR --batch [--settings FILE] [--set Key=Value]... [--fast] [--resume] [--force]
//   NTR --list-devices
//   NTR --make-instrument FOLDER
//   NTR --check-instrument FOLDER [--tolerance-cents N]
//   NTR --help
//   NTR --version
// Without any of these options the program opens its window as before.

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace ntr::batch {

// Something the user must correct; the message says what, exitCode is one of exit_codes.h.
class BatchError : public std::runtime_error {
 public:
  BatchError(int exitCode, const std::string& message) : std::runtime_error(message), exitCode_(exitCode) {}
  int ExitCode() const { return exitCode_; }

 private:
  int exitCode_;
};

struct KeyValue {
  std::string key;
  std::string value;
};

struct CommandLine {
  bool batch = false;
  bool help = false;
  bool version = false;                        // --version: the program's name and version
  bool settingNames = false;                   // --setting-names: the keys --set takes, one a line (shell completion)
  bool listDevices = false;                    // --list-devices: print the devices, sample nothing
  std::optional<std::string> settingsFile;     // --settings FILE: this file instead of the user's settings
  std::vector<KeyValue> overrides;             // --set Key=Value, in the order given (the last one wins)
  bool resume = false;                         // --resume: skip the takes already made
  bool force = false;                          // --force: run even without enough free space
  std::optional<std::string> makeInstrument;   // --make-instrument FOLDER: its instrument files, no run
  std::optional<std::string> checkInstrument;  // --check-instrument FOLDER: its SoundFont played and measured
  std::optional<double> toleranceCents;        // --tolerance-cents N (with --check-instrument)
};

// True when the arguments are the unattended mode's (--batch, --help, -h,
// --version, --settings, --set, --fast, --make-instrument): main() then hands
// them over before any window exists.
bool IsBatchCommandLine(int argc, const char* const* argv);

// Parses the arguments after the program name. Throws BatchError (kExitUsage)
// for an unknown option, a missing value, "--set" without "=", or --settings,
// --set or --fast without --batch, and --make-instrument with any other option.
// --fast comes as an override of its setting.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The text --help prints.
std::string UsageText();

// The line --version prints: the program's name and the project's version.
std::string VersionText();

// What --setting-names prints for the shell completion: every key of the
// table --help lists, one a line.
std::string SettingNamesText();

}  // namespace ntr::batch
