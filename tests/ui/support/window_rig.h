// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window wired to fakes: virtual clock, MIDI output and device list,
// recorder writing real WAV files, a mixer that keeps what it was sent,
// dialogs answered by the test, and settings in a temporary INI file.

#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_clock.h"
#include "fakes/fake_midi_output.h"
#include "fakes/fake_recorder.h"
#include "ui/frm_main.h"
#include "session/settings_store.h"
#include "ui/user_dialogs.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

namespace ntr::uitest {

struct Shown {
  std::string title;
  std::string text;
  MessageIcon icon;
};

// Messages and questions are kept; questions take the next scripted answer
// (No when none is left); modal dialogs are driven by the next scripted action.
class ScriptedDialogs : public ui::UserDialogs {
 public:
  void ShowMessage(const std::string& title, const std::string& text, MessageIcon icon) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;
  int RunModal(QDialog& dialog) override;
  void Beep() override { ++beeps; }
  // Takes the next scripted file (cancelled when none is left).
  std::optional<std::string> ChooseSoundFont(const std::string& current) override;
  // Takes the next scripted folder (cancelled when none is left).
  std::optional<std::string> ChooseInstrumentFolder(const std::string& start) override;

  std::vector<Shown> messages;
  std::vector<Shown> questions;
  std::deque<bool> answers;
  // Each acts on the dialog (fills fields, clicks buttons) and returns; the
  // dialog's result is what RunModal returns.
  std::deque<std::function<void(QDialog&)>> modalActions;
  int modalCount = 0;
  std::deque<std::optional<std::string>> soundFontChoices;
  std::vector<std::string> soundFontStarts;  // what each chooser was opened at
  std::deque<std::optional<std::string>> folderChoices;
  std::vector<std::string> folderStarts;
  int beeps = 0;
};

class FakeMidiDevices : public MidiDevicesPort {
 public:
  std::vector<std::string> ListMidiDevices() override { return captions; }
  void SelectMidiDevice(int index) override {
    selected = index;
    selections.push_back(index);
  }
  int SelectedMidiDevice() const override { return selected; }

  std::vector<std::string> captions{"MIDI Mapper"};
  int selected = 0;
  std::vector<int> selections;
};

struct LevelSent {
  int slider;
  int pos;
  int travel;
};

class FakeMixer : public MixerPort {
 public:
  bool OpenMixerDevice() override {
    ++opens;
    return openResult;
  }
  void ApplyKnobLevel(int slider, int pos, int travel) override { levels.push_back({slider, pos, travel}); }

  bool openResult = true;
  int opens = 0;
  std::vector<LevelSent> levels;
};

struct WindowRig {
  // settingsText: the INI file's contents before the window loads ("" for a first start).
  explicit WindowRig(const std::string& settingsText = {}, bool load = true);
  ~WindowRig();

  QString SettingsPath() const;
  session::SettingsStore& Store() { return *store; }

  template <typename T>
  T* Find(const QString& name) const {
    return window->findChild<T*>(name);
  }
  QAbstractButton* Button(const QString& name) const;
  QCheckBox* Check(const QString& name) const;
  QLineEdit* Field(const QString& name) const;
  QComboBox* List(const QString& name) const;
  QLabel* Label(const QString& name) const;
  QTableView* Grid() const;
  QAction* Action(const QString& name) const;

  QTemporaryDir dir;
  fakes::FakeClock clock{0.01};
  fakes::FakeMidiOutput midi{clock};
  fakes::FakeRecorder recorder{clock};
  FakeMidiDevices devices;
  FakeMixer mixer;
  ScriptedDialogs dialogs;
  std::unique_ptr<session::SettingsStore> store;
  std::unique_ptr<ui::frmMain> window;
};

}  // namespace ntr::uitest
