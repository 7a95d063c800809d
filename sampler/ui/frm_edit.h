// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// frmEdit: the row editor. Five captioned fields txtParam0..4 (note,
// velocity, MIDI channel, duration, decay) loaded from one row of the event
// list; "Accept" checks them in that order and stops at the first wrong one
// with its message, "Discard" closes without a change.

#include <QDialog>
#include <array>
#include <optional>

#include "engine/events/event_row.h"

class QLineEdit;
class QPushButton;

namespace ntr::ui {

class UserDialogs;

inline constexpr int kEditFields = 5;

class frmEdit : public QDialog {
  Q_OBJECT
 public:
  frmEdit(UserDialogs& dialogs, QWidget* parent = nullptr);

  // Fills the fields from the row: the note field with its note name.
  void Load(const EventRow& row);
  // After Accept: the row with the edited values (Note and Number both from
  // the note field); the columns not edited keep their values.
  const EventRow& Edited() const { return edited_; }

  QLineEdit* Field(int index) const { return fields_.at(static_cast<std::size_t>(index)); }

  // The message for the first field that is not accepted, or nullopt when all are.
  std::optional<int> FirstWrongField() const;
  static const char* FieldMessage(int index);

 private:
  void OnAccept();

  UserDialogs& dialogs_;
  std::array<QLineEdit*, kEditFields> fields_{};
  QPushButton* accept_ = nullptr;
  QPushButton* discard_ = nullptr;
  EventRow original_;
  EventRow edited_;
};

}  // namespace ntr::ui
