// SPDX-License-Identifier: GPL-3.0-or-later
// The window mode's start through the real program: an argument it does not
// know and a start where no display can be reached end at once with a message
// (not a window, not Qt's abort). The display check itself against a real X
// server (Xvfb) and a listening Wayland socket.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>

#include "app/display_check.h"
#include "support/child_process.h"
#include "support/temp_folder.h"

namespace ntr::e2e {
namespace {

const std::string kProgram = NTR_PROGRAM;
constexpr double kSeconds = 20;  // a window that opens by mistake shows as a timeout

TEST(WindowStart, RefusesAnArgumentQtDoesNotTakeEither) {
  test::TempFolder temp;
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--bogus"}, {"-platform", "offscreen", "stray"}, {"-reverse", "--style=fusion", "-x"}, {"-style"}}) {
    const Finished run = RunToEnd(kProgram, arguments, temp.File(""), kSeconds, {{"QT_QPA_PLATFORM", "offscreen"}});
    EXPECT_EQ(run.status, 2) << arguments.back() << "\n" << run.err;
    EXPECT_NE(run.err.find("Usage: NTR"), std::string::npos) << run.err;
  }
  const Finished bogus = RunToEnd(kProgram, {"--bogus"}, temp.File(""), kSeconds);
  EXPECT_EQ(bogus.err.rfind("NTR: unknown argument \"--bogus\"\n", 0), 0u) << bogus.err;
}

TEST(WindowStart, WithoutADisplaySaysSoInOneLine) {
  test::TempFolder temp;
  const std::map<std::string, std::string> noDisplay{
      {"QT_QPA_PLATFORM", ""}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"XDG_RUNTIME_DIR", temp.File("")}};
  std::map<std::string, std::string> deadDisplay = noDisplay;
  deadDisplay["DISPLAY"] = ":7919";  // no X server there
  for (const auto& environment : {noDisplay, deadDisplay}) {
    const Finished run = RunToEnd(NTR_PROGRAM_LINK, {}, temp.File(""), kSeconds, environment);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find("ntr --batch"), std::string::npos) << run.err;
  }
}

app::DisplayEnvironment Platform(const std::string& platform, const std::string& xDisplay = "",
                                 const std::string& waylandDisplay = "", const std::string& runtimeDir = "") {
  return {platform, xDisplay, waylandDisplay, runtimeDir};
}

TEST(DisplayCheck, ConnectsToTheServerQtWouldUse) {
  test::TempFolder temp;
  // -noreset: a server that resets when its last client leaves refuses the next one for a moment.
  ChildProcess xvfb("/usr/bin/Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-noreset"}, temp.File(""));
  ASSERT_TRUE(xvfb.WaitForOutput("\n", 20)) << "Xvfb did not start: " << xvfb.Stderr();
  const std::string display = ":" + xvfb.Stdout().substr(0, xvfb.Stdout().find('\n'));
  EXPECT_EQ(app::WhyNoDisplay(Platform("xcb", display)), std::nullopt);
  EXPECT_EQ(app::WhyNoDisplay(Platform("", display)), std::nullopt);
  xvfb.Signal(SIGTERM);
  ASSERT_NE(xvfb.Wait(20), -1);
  EXPECT_NE(app::WhyNoDisplay(Platform("", display)), std::nullopt) << "the server has gone";

  // A Wayland compositor's socket under XDG_RUNTIME_DIR.
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, temp.File("wayland-7").c_str());
  ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  EXPECT_EQ(app::WhyNoDisplay(Platform("wayland", "", "wayland-7", temp.File(""))), std::nullopt);
  EXPECT_EQ(app::WhyNoDisplay(Platform("", "", "wayland-7", temp.File(""))), std::nullopt);
  EXPECT_EQ(app::WhyNoDisplay(Platform("wayland", "", address.sun_path)), std::nullopt);
  close(listener);
  EXPECT_NE(app::WhyNoDisplay(Platform("wayland", "", "wayland-7", temp.File(""))), std::nullopt);

  // Plugins that draw without a display server, also as a fallback.
  EXPECT_EQ(app::WhyNoDisplay(Platform("offscreen")), std::nullopt);
  EXPECT_EQ(app::WhyNoDisplay(Platform("xcb;vnc:size=800x600")), std::nullopt);
  EXPECT_NE(app::WhyNoDisplay(Platform("xcb")), std::nullopt);
}

}  // namespace
}  // namespace ntr::e2e
