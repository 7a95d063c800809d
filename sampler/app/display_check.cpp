// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/display_check.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "engine/takes/sample_paths.h"

namespace ntr::app {

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// "wayland;xcb" names plugins to try in turn; "vnc:size=800x600" gives one options.
std::vector<std::string> PluginNames(const std::string& platform) {
  std::vector<std::string> names;
  std::stringstream list(platform);
  for (std::string entry; std::getline(list, entry, ';');) {
    entry = entry.substr(0, entry.find(':'));
    if (!entry.empty()) names.push_back(entry);
  }
  return names;
}

// Connects with libxcb, as Qt's X11 plugin does, so a dead display or a
// refused authorisation counts as well as a missing DISPLAY. The library is
// loaded only for this: a system without it has no X11 plugin either.
std::optional<std::string> WhyNoX11(const std::string& display) {
  if (display.empty()) return "DISPLAY is not set";
  void* xcb = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
  if (xcb == nullptr) return "the X11 client library libxcb.so.1 is missing";
  using Connect = void* (*)(const char*, int*);
  using HasError = int (*)(void*);
  using Disconnect = void (*)(void*);
  const auto connect = reinterpret_cast<Connect>(dlsym(xcb, "xcb_connect"));
  const auto hasError = reinterpret_cast<HasError>(dlsym(xcb, "xcb_connection_has_error"));
  const auto disconnect = reinterpret_cast<Disconnect>(dlsym(xcb, "xcb_disconnect"));
  std::optional<std::string> why;
  if (connect == nullptr || hasError == nullptr || disconnect == nullptr) {
    why = "libxcb.so.1 cannot be used";
  } else {
    void* connection = connect(display.c_str(), nullptr);
    if (hasError(connection) != 0) why = "the X display \"" + display + "\" does not accept a connection";
    disconnect(connection);  // also right for the error object a failed connect returns
  }
  dlclose(xcb);
  return why;
}

bool AcceptsConnection(const std::string& socketPath) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socketPath.size() >= sizeof(address.sun_path)) return false;
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  const int socketFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socketFd < 0) return false;
  const bool connected = connect(socketFd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
  close(socketFd);
  return connected;
}

// The socket libwayland-client would use: WAYLAND_DISPLAY ("wayland-0" when
// unset) under XDG_RUNTIME_DIR, or WAYLAND_DISPLAY itself when it is a path.
// named: the plugin was asked for; otherwise only a set WAYLAND_DISPLAY makes Qt pick it.
std::optional<std::string> WhyNoWayland(const DisplayEnvironment& environment, bool named) {
  if (!named && environment.waylandDisplay.empty()) return "WAYLAND_DISPLAY is not set";
  const std::string name = environment.waylandDisplay.empty() ? "wayland-0" : environment.waylandDisplay;
  std::string path = name;
  if (name.front() != '/') {
    if (environment.runtimeDir.empty()) return "XDG_RUNTIME_DIR is not set, so the Wayland display cannot be found";
    path = JoinPath(environment.runtimeDir, name);
  }
  if (!AcceptsConnection(path)) return "no Wayland display answers at " + path;
  return std::nullopt;
}

}  // namespace

DisplayEnvironment CurrentDisplayEnvironment(const std::optional<std::string>& platformArgument,
                                             const std::optional<std::string>& displayArgument) {
  return {platformArgument.value_or(Variable("QT_QPA_PLATFORM")), displayArgument.value_or(Variable("DISPLAY")),
          Variable("WAYLAND_DISPLAY"), Variable("XDG_RUNTIME_DIR")};
}

std::optional<std::string> WhyNoDisplay(const DisplayEnvironment& environment) {
  std::vector<std::string> plugins = PluginNames(environment.platform);
  const bool named = !plugins.empty();
  if (!named) plugins = {"xcb", "wayland"};  // Qt's choice on a Linux desktop
  std::vector<std::string> reasons;
  for (const std::string& plugin : plugins) {
    std::optional<std::string> why;
    if (plugin == "xcb") {
      why = WhyNoX11(environment.xDisplay);
    } else if (plugin.starts_with("wayland")) {
      why = WhyNoWayland(environment, named);
    } else {
      return std::nullopt;  // offscreen, minimal, vnc, eglfs, linuxfb: no display server to reach
    }
    if (!why) return std::nullopt;
    if (std::find(reasons.begin(), reasons.end(), *why) == reasons.end()) reasons.push_back(*why);
  }
  std::string text;
  for (const std::string& reason : reasons) text += (text.empty() ? "" : "; ") + reason;
  return text;
}

}  // namespace ntr::app
