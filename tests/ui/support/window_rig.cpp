// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/window_rig.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <gtest/gtest.h>

namespace ntr::uitest {

void ScriptedDialogs::ShowMessage(const std::string& title, const std::string& text, MessageIcon icon) {
  messages.push_back({title, text, icon});
}

bool ScriptedDialogs::AskYesNo(const std::string& title, const std::string& text) {
  questions.push_back({title, text, MessageIcon::None});
  if (answers.empty()) return false;
  const bool answer = answers.front();
  answers.pop_front();
  return answer;
}

namespace {

// A chooser's next scripted answer (cancelled when none is left); keeps where it was opened.
std::optional<std::string> NextChoice(std::deque<std::optional<std::string>>& choices, std::vector<std::string>& starts,
                                      const std::string& start) {
  starts.push_back(start);
  if (choices.empty()) return std::nullopt;
  auto choice = std::move(choices.front());
  choices.pop_front();
  return choice;
}

}  // namespace

std::optional<std::string> ScriptedDialogs::ChooseSoundFont(const std::string& current) {
  return NextChoice(soundFontChoices, soundFontStarts, current);
}

std::optional<std::string> ScriptedDialogs::ChooseInstrumentFolder(const std::string& start) {
  return NextChoice(folderChoices, folderStarts, start);
}

int ScriptedDialogs::RunModal(QDialog& dialog) {
  ++modalCount;
  dialog.setResult(QDialog::Rejected);
  dialog.show();
  if (!modalActions.empty()) {
    auto action = std::move(modalActions.front());
    modalActions.pop_front();
    action(dialog);
  }
  dialog.hide();
  return dialog.result();
}

WindowRig::WindowRig(const std::string& settingsText, bool load) {
  EXPECT_TRUE(dir.isValid());
  if (!settingsText.empty()) {
    QFile file(SettingsPath());
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(settingsText.data(), static_cast<qint64>(settingsText.size()));
  }
  store = std::make_unique<session::SettingsStore>(session::SettingsStore::OpenFile(SettingsPath()));
  fakes::EndSoundAtNoteOff(recorder, midi);
  // The window's tests make plain runs (the fake recorder's tone sounds with
  // or without a note): the level check has tests of its own.
  if (settingsText.find("[Checks]") == std::string::npos) {
    store->Write(QStringLiteral("TestNotes"), QStringLiteral("0"), QStringLiteral("Checks"));
    store->Sync();
  }
  window = std::make_unique<ui::frmMain>(ui::MainWindowParts{midi, devices, recorder, mixer, clock, dialogs, *store});
  if (load) {
    window->Load();
    window->show();
  }
}

WindowRig::~WindowRig() { window.reset(); }

QString WindowRig::SettingsPath() const { return dir.filePath(QStringLiteral("settings.ini")); }

QAbstractButton* WindowRig::Button(const QString& name) const {
  auto* button = Find<QAbstractButton>(name);
  EXPECT_NE(button, nullptr) << name.toStdString();
  return button;
}
QCheckBox* WindowRig::Check(const QString& name) const {
  auto* box = Find<QCheckBox>(name);
  EXPECT_NE(box, nullptr) << name.toStdString();
  return box;
}
QLineEdit* WindowRig::Field(const QString& name) const {
  auto* field = Find<QLineEdit>(name);
  EXPECT_NE(field, nullptr) << name.toStdString();
  return field;
}
QComboBox* WindowRig::List(const QString& name) const {
  auto* list = Find<QComboBox>(name);
  EXPECT_NE(list, nullptr) << name.toStdString();
  return list;
}
QLabel* WindowRig::Label(const QString& name) const {
  auto* label = Find<QLabel>(name);
  EXPECT_NE(label, nullptr) << name.toStdString();
  return label;
}
QTableView* WindowRig::Grid() const { return Find<QTableView>(QStringLiteral("dbgEvents")); }
QAction* WindowRig::Action(const QString& name) const {
  auto* action = window->findChild<QAction*>(name);
  EXPECT_NE(action, nullptr) << name.toStdString();
  return action;
}

}  // namespace ntr::uitest
