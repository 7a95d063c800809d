// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of the window mode (NTR without --batch or --help): only
// Qt's own options are taken (-platform NAME, -style NAME, -reverse, ...);
// anything else is refused before a window or a display is needed.

#include <optional>
#include <string>
#include <vector>

namespace ntr::app {

struct WindowCommandLine {
  std::optional<std::string> platform;  // -platform NAME (Qt's plugin list, "a;b", each "name[:options]")
  std::optional<std::string> display;   // -display NAME, the X display to use instead of $DISPLAY
  std::optional<std::string> takes;     // --takes FOLDER: the take browser on that folder instead of the main window
  std::optional<std::string> mistake;   // what is wrong: the first argument Qt does not take either, or a missing value
};

// arguments: those after the program name.
WindowCommandLine ParseWindowCommandLine(const std::vector<std::string>& arguments);

// What main() runs before the QApplication exists: refuses an unknown
// argument (the usage on stderr, exit 2) and a start where no display can be
// reached (one line on stderr, exit 1). nullopt: go on and open the window.
std::optional<int> RefuseWindowStart(int argc, const char* const* argv);

// The folder of --takes FOLDER; nullopt when the main window is to open.
std::optional<std::string> TakesFolderOf(int argc, const char* const* argv);

}  // namespace ntr::app
