// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every message, question and modal dialog of the window goes through this
// interface: the program shows real message boxes and runs dialogs modally
// (QtUserDialogs); the tests answer and drive them without a modal loop.
// The engine's messages (MessagePort) arrive here too.

#include <optional>
#include <string>

#include "engine/ports.h"

class QDialog;

namespace ntr::ui {

class UserDialogs : public MessagePort {
 public:
  // A message with an OK button (MessagePort::ShowMessage).
  // A question with Yes and No, a question icon and No as the default; true for Yes.
  virtual bool AskYesNo(const std::string& title, const std::string& text) = 0;
  // The engine's warnings that the user may go on past are Yes/No questions here.
  bool AskGoOn(const std::string& title, const std::string& text) override { return AskYesNo(title, text); }
  // Shows a dialog modally and returns its result (QDialog::Accepted or Rejected).
  virtual int RunModal(QDialog& dialog) = 0;
  // The system beep: a refused key, a refused close.
  virtual void Beep() = 0;
  // A file chooser for the built-in synthesizer's SoundFont, starting at the
  // current one ("" when none was chosen); nullopt when cancelled.
  virtual std::optional<std::string> ChooseSoundFont(const std::string& current) = 0;
  // A folder chooser for "Make Instrument Files...", starting at `start`; nullopt when cancelled.
  virtual std::optional<std::string> ChooseInstrumentFolder(const std::string& start) = 0;
};

}  // namespace ntr::ui
