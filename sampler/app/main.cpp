// SPDX-License-Identifier: GPL-3.0-or-later
// NTR: the start-up routine. Shows the main window with the real devices and
// the user's settings; the program runs as long as the window is open.
// With --batch (or --help) it makes one run without a window instead.

#include <QApplication>
#include <QIcon>
#include <cstdio>

#include "app/window_command_line.h"
#include "app/window_with_devices.h"
#include "batch/batch_mode.h"
#include "session/take_list.h"
#include "ui/qt_user_dialogs.h"

int main(int argc, char* argv[]) {
  // Before any window exists: the unattended mode needs no display.
  if (ntr::batch::IsBatchCommandLine(argc, argv)) return ntr::batch::RunBatchMode(argc, argv);
  // Qt would start the window with arguments it ignores, or abort without a display.
  if (const std::optional<int> refused = ntr::app::RefuseWindowStart(argc, argv)) return *refused;

  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(ntr::session::kSettingsApplication));
  ntr::app::ApplyProgramLook();
  // The installed desktop entry and icon (packaging/) belong to this window.
  QApplication::setDesktopFileName(QStringLiteral(NTR_DESKTOP_ID));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(NTR_DESKTOP_ID)));

  // --takes FOLDER: the take browser without the main window, which stays
  // hidden but lends it its devices and settings (to play and to retake).
  const std::optional<std::string> takesFolder = ntr::app::TakesFolderOf(argc, argv);
  if (takesFolder) {
    try {
      ntr::session::ListTakeFolder(*takesFolder);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "NTR: %s\n", e.what());
      return 1;
    }
  }

  ntr::ui::QtUserDialogs dialogs;
  ntr::app::WindowWithDevices program(ntr::session::SettingsStore::OpenUserSettings(), dialogs);
  dialogs.SetParent(&program.Window());
  program.Window().Load();
  if (takesFolder) {
    program.Window().OpenTakesOf(*takesFolder);
  } else {
    program.Window().show();
  }
  return app.exec();
}
