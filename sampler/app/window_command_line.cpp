// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_command_line.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include "app/display_check.h"
#include "batch/command_line.h"
#include "batch/exit_codes.h"

namespace ntr::app {

namespace {

constexpr int kExitNoDisplay = 1;

// Qt's own options (QGuiApplication, QApplication, the X11 plugin); Qt takes
// them with one dash or two, and removes them from the arguments it keeps.
constexpr std::array<std::string_view, 12> kQtOptionsWithValue{
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "style",           "stylesheet",         "display",       "geometry"};
constexpr std::array<std::string_view, 2> kQtFlags{"reverse", "widgetcount"};
constexpr std::array<std::string_view, 3> kQtOptionsWithEquals{"style", "stylesheet", "qmljsdebugger"};

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// "-name" or "--name" without its dashes; empty for anything else.
std::string_view OptionName(std::string_view argument) {
  if (argument.starts_with("--")) return argument.substr(2);
  if (argument.starts_with("-")) return argument.substr(1);
  return {};
}

}  // namespace

WindowCommandLine ParseWindowCommandLine(const std::vector<std::string>& arguments) {
  WindowCommandLine line;
  for (std::size_t i = 0; i < arguments.size() && !line.mistake; ++i) {
    const std::string_view name = OptionName(arguments[i]);
    if (Contains(kQtFlags, name)) continue;
    if (arguments[i] == "--takes" || arguments[i].starts_with("--takes=")) {
      if (arguments[i] != "--takes") {
        line.takes = arguments[i].substr(std::string_view("--takes=").size());
      } else if (i + 1 < arguments.size()) {
        line.takes = arguments[++i];
      }
      if (!line.takes || line.takes->empty()) line.mistake = "--takes needs a folder";
      continue;
    }
    if (!name.empty() && Contains(kQtOptionsWithValue, name)) {
      if (i + 1 >= arguments.size()) {
        line.mistake = arguments[i] + " needs a value";
      } else if (name == "platform") {
        line.platform = arguments[++i];
      } else if (name == "display") {
        line.display = arguments[++i];
      } else {
        ++i;
      }
      continue;
    }
    const std::size_t equals = name.find('=');
    if (equals != std::string_view::npos && Contains(kQtOptionsWithEquals, name.substr(0, equals))) continue;
    line.mistake = "unknown argument \"" + arguments[i] + "\"";
  }
  return line;
}

namespace {

WindowCommandLine LineOf(int argc, const char* const* argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i] ? argv[i] : "");
  return ParseWindowCommandLine(arguments);
}

}  // namespace

std::optional<std::string> TakesFolderOf(int argc, const char* const* argv) { return LineOf(argc, argv).takes; }

std::optional<int> RefuseWindowStart(int argc, const char* const* argv) {
  const WindowCommandLine line = LineOf(argc, argv);
  if (line.mistake) {
    std::fprintf(stderr, "NTR: %s\n\n%s", line.mistake->c_str(), batch::UsageText().c_str());
    return batch::kExitUsage;
  }
  if (const std::optional<std::string> why = WhyNoDisplay(CurrentDisplayEnvironment(line.platform, line.display))) {
    std::fprintf(stderr,
                 "NTR: cannot open the window, no display can be reached (%s); to sample without a window use "
                 "ntr --batch (ntr --help lists its options).\n",
                 why->c_str());
    return kExitNoDisplay;
  }
  return std::nullopt;
}

}  // namespace ntr::app
