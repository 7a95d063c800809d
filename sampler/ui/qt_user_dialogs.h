// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's dialogs: real QMessageBoxes over the main window.

#include <QPointer>
#include <QWidget>

#include "ui/user_dialogs.h"

namespace ntr::ui {

class QtUserDialogs : public UserDialogs {
 public:
  // The window the boxes belong to; may be set later (before that, the active window).
  void SetParent(QWidget* parent) { parent_ = parent; }

  void ShowMessage(const std::string& title, const std::string& text, MessageIcon icon) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;
  int RunModal(QDialog& dialog) override;
  void Beep() override;
  std::optional<std::string> ChooseSoundFont(const std::string& current) override;
  std::optional<std::string> ChooseInstrumentFolder(const std::string& start) override;

 private:
  QWidget* Parent() const;
  QPointer<QWidget> parent_;
};

}  // namespace ntr::ui
