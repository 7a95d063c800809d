// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether Qt will find a display for the window, checked before the
// QApplication is made: Qt aborts the process when it finds none.

#include <optional>
#include <string>

namespace ntr::app {

struct DisplayEnvironment {
  std::string platform;        // -platform, else $QT_QPA_PLATFORM; empty: Qt's default (X11 or Wayland)
  std::string xDisplay;        // -display, else $DISPLAY
  std::string waylandDisplay;  // $WAYLAND_DISPLAY (a name under $XDG_RUNTIME_DIR, or a path)
  std::string runtimeDir;      // $XDG_RUNTIME_DIR
};

// The environment of this process, with the command line's choices first.
DisplayEnvironment CurrentDisplayEnvironment(const std::optional<std::string>& platformArgument,
                                             const std::optional<std::string>& displayArgument);

// nullopt when one of the platforms Qt may use can show a window: a plugin
// that needs no display server (offscreen, vnc, eglfs, ...), an X server that
// accepts a connection, or a Wayland socket that does. Otherwise why not, in
// a few words ("DISPLAY is not set", "the X display :9 does not answer").
std::optional<std::string> WhyNoDisplay(const DisplayEnvironment& environment);

}  // namespace ntr::app
