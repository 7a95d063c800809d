// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// frmInstrumentOptions: the "Instrument Options" dialog of the File menu. It
// shows every key of the settings group "Instrument", built from the key
// table: a check box for a flag, a spin box within the key's range for a
// number, a line of text otherwise (an example as placeholder where the table
// gives one), each named after its key, under its heading, with what the key
// takes (as --help says it) as its tool tip and in a line under it. "OK" checks the texts as --set would and
// stops at the first one that does not fit with a message; "Cancel" closes
// without a change. The window stores what changed.

#include <QDialog>
#include <vector>

#include "session/session_settings.h"
#include "session/setting_keys.h"

namespace ntr::ui {

class UserDialogs;

class frmInstrumentOptions : public QDialog {
  Q_OBJECT
 public:
  frmInstrumentOptions(UserDialogs& dialogs, const session::SessionSettings& settings, QWidget* parent = nullptr);

  // After OK: the settings with the dialog's values, and the keys whose
  // stored text they changed.
  const session::SessionSettings& Edited() const { return edited_; }
  std::vector<const session::SettingKey*> ChangedKeys() const;

  // The editor of a key (QCheckBox, QSpinBox or QLineEdit), named after it.
  QWidget* Editor(std::string_view keyName) const;

 private:
  struct Row {
    const session::SettingKey* key;
    QWidget* editor;
  };
  QString EditorText(const Row& row) const;
  void OnOk();

  UserDialogs& dialogs_;
  session::SessionSettings original_;
  session::SessionSettings edited_;
  std::vector<Row> rows_;
};

}  // namespace ntr::ui
