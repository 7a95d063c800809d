// SPDX-License-Identifier: GPL-3.0-or-later
// ntr_window_shot OUT.png [SETTINGS.ini]: shows the main window as the
// program does (real devices, the settings file given, a first start when it
// is empty), waits until the window system has drawn it, and saves a picture
// of the screen area it covers. Messages are printed instead of shown, so
// nothing covers the window. Run it under a real display (Xvfb).
// ntr_window_shot --takes FOLDER OUT.png: the take browser on FOLDER as
// `ntr --takes` shows it, its second take selected and drawn.

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <cstdio>

#include "app/window_with_devices.h"
#include "session/take_list.h"
#include "ui/frm_takes.h"
#include "ui/take_table_model.h"
#include "ui/user_dialogs.h"
#include "ui/waveform_view.h"

namespace {

class PrintedDialogs : public ntr::ui::UserDialogs {
 public:
  void ShowMessage(const std::string& title, const std::string& text, ntr::MessageIcon) override {
    std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
  }
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  int RunModal(QDialog&) override { return QDialog::Rejected; }
  void Beep() override {}
  std::optional<std::string> ChooseSoundFont(const std::string&) override { return std::nullopt; }
  std::optional<std::string> ChooseInstrumentFolder(const std::string&) override { return std::nullopt; }
};

int TakeBrowserShot(QApplication& app, const QString& folder, const QString& out) {
  ntr::app::ApplyProgramLook();
  ntr::ui::frmTakes browser(ntr::session::ListTakeFolder(folder.toStdString()), nullptr);
  browser.resize(960, 600);
  browser.move(0, 0);
  browser.show();
  if (browser.Model().rowCount() > 1) browser.SelectRow(1);
  int status = 1;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &app, [&] {
    if (!browser.Waveform().HasOverview()) return;
    const QPixmap shot = browser.grab();
    status = shot.save(out, "PNG") ? 0 : 1;
    if (status == 0) std::fprintf(stderr, "saved %s (%dx%d)\n", qPrintable(out), shot.width(), shot.height());
    app.quit();
  });
  poll.start(500);
  app.exec();
  return status;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc == 4 && QString::fromLocal8Bit(argv[1]) == QStringLiteral("--takes")) {
    return TakeBrowserShot(app, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
  }
  if (argc < 2) {
    std::fprintf(stderr, "usage: ntr_window_shot OUT.png [SETTINGS.ini]\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QTemporaryDir scratch;
  const QString settingsFile =
      argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir(scratch.path()).filePath(QStringLiteral("settings.ini"));

  ntr::app::ApplyProgramLook();
  PrintedDialogs dialogs;
  ntr::app::WindowWithDevices program(ntr::session::SettingsStore::OpenFile(settingsFile), dialogs);
  ntr::ui::frmMain& window = program.Window();
  window.Load();
  window.move(0, 0);
  window.show();

  int status = 1;
  // Give the window system time to map and draw the window before taking it.
  QTimer::singleShot(1500, &app, [&] {
    QScreen* screen = window.screen();
    const QRect frame = window.frameGeometry();
    const QPixmap shot = screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    status = shot.save(out, "PNG") ? 0 : 1;
    if (status == 0) std::fprintf(stderr, "saved %s (%dx%d)\n", qPrintable(out), shot.width(), shot.height());
    app.quit();
  });
  app.exec();
  return status;
}
