// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt_user_dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace ntr::ui {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

QWidget* QtUserDialogs::Parent() const { return parent_ ? parent_.data() : QApplication::activeWindow(); }

void QtUserDialogs::ShowMessage(const std::string& title, const std::string& text, MessageIcon icon) {
  QMessageBox box(BoxIcon(icon), QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok,
                  Parent());
  box.exec();
}

bool QtUserDialogs::AskYesNo(const std::string& title, const std::string& text) {
  QMessageBox box(QMessageBox::Question, QString::fromStdString(title), QString::fromStdString(text),
                  QMessageBox::Yes | QMessageBox::No, Parent());
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

int QtUserDialogs::RunModal(QDialog& dialog) { return dialog.exec(); }

void QtUserDialogs::Beep() { QApplication::beep(); }

std::optional<std::string> QtUserDialogs::ChooseSoundFont(const std::string& current) {
  const QString start = current.empty() ? QString() : QFileInfo(QString::fromStdString(current)).absolutePath();
  const QString file =
      QFileDialog::getOpenFileName(Parent(), QStringLiteral("SoundFont for the built-in synthesizer"), start,
                                   QStringLiteral("SoundFonts (*.sf2 *.sf3 *.SF2 *.SF3);;All files (*)"));
  if (file.isEmpty()) return std::nullopt;
  return file.toStdString();
}

std::optional<std::string> QtUserDialogs::ChooseInstrumentFolder(const std::string& start) {
  const QString folder = QFileDialog::getExistingDirectory(Parent(), QStringLiteral("Make instrument files of the folder"),
                                                           QString::fromStdString(start));
  if (folder.isEmpty()) return std::nullopt;
  return folder.toStdString();
}

}  // namespace ntr::ui
