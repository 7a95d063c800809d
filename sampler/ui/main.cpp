// NTR: the start-up routine. Shows the main window with the real devices and
// the user's settings; the program runs as long as the window is open.

#include <QApplication>

#include "ui/program_parts.h"
#include "ui/qt_user_dialogs.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(ntr::ui::kSettingsApplication));
  ntr::ui::ApplyProgramLook();

  ntr::ui::QtUserDialogs dialogs;
  ntr::ui::ProgramParts program(ntr::ui::SettingsStore::OpenUserSettings(), dialogs);
  dialogs.SetParent(&program.Window());
  program.Window().Load();
  program.Window().show();
  return app.exec();
}
