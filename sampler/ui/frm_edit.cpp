// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_edit.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/events/note_names.h"
#include "engine/run/run_controller.h"
#include "engine/events/text_numbers.h"
#include "ui/note_field.h"
#include "ui/user_dialogs.h"

namespace ntr::ui {

namespace {

struct FieldRule {
  const char* caption;
  long lo;
  long hi;
  const char* message;
};

constexpr std::array<FieldRule, kEditFields> kRules = {{
    {" Note", 0, 127, "Note value should be numeric (from 0 to 127)"},
    {" Velocity", 0, 127, "Velocity value should be numeric (from 0 to 127)"},
    {" MIDI channel", 1, 16, "MIDI channel value should be numeric (from 1 to 16)"},
    {" Duration", 1, 32000, "Duration value should be numeric (from 1 to 32000)"},
    {" Decay", 1, 32000, "Decay value should be numeric (from 1 to 32000)"},
}};

constexpr std::array<EventColumn, kEditFields> kColumns = {EventColumn::Note, EventColumn::Vel, EventColumn::Chn,
                                                            EventColumn::Time, EventColumn::Decay};

bool NumberInRange(const QString& text, long lo, long hi) {
  const auto value = ParseNumber(text.toStdString());
  return value && *value >= static_cast<double>(lo) && *value <= static_cast<double>(hi);
}

}  // namespace

const char* frmEdit::FieldMessage(int index) { return kRules.at(static_cast<std::size_t>(index)).message; }

frmEdit::frmEdit(UserDialogs& dialogs, QWidget* parent) : QDialog(parent), dialogs_(dialogs) {
  setObjectName(QStringLiteral("frmEdit"));
  setWindowTitle(QString::fromLatin1(kAppTitle));
  setModal(true);

  auto* layout = new QVBoxLayout(this);
  for (int i = 0; i < kEditFields; ++i) {
    const FieldRule& rule = kRules[static_cast<std::size_t>(i)];
    auto* panel = new QGroupBox(QString::fromLatin1(rule.caption), this);
    panel->setObjectName(QStringLiteral("pnlParam%1").arg(i));
    auto* panelLayout = new QVBoxLayout(panel);
    auto* field = new QLineEdit(panel);
    field->setObjectName(QStringLiteral("txtParam%1").arg(i));
    panelLayout->addWidget(field);
    layout->addWidget(panel);
    fields_[static_cast<std::size_t>(i)] = field;
  }
  fields_[0]->setToolTip(QStringLiteral("A note name (C#5) or a MIDI note number (0 to 127)"));

  auto* buttons = new QHBoxLayout;
  accept_ = new QPushButton(QStringLiteral("Accept"), this);
  accept_->setObjectName(QStringLiteral("cbAccept"));
  accept_->setToolTip(QStringLiteral("Accept edited values"));
  accept_->setDefault(true);
  discard_ = new QPushButton(QStringLiteral("Discard"), this);
  discard_->setObjectName(QStringLiteral("cbDiscard"));
  discard_->setToolTip(QStringLiteral("Discard edited values"));
  buttons->addWidget(accept_);
  buttons->addWidget(discard_);
  layout->addLayout(buttons);

  connect(accept_, &QPushButton::clicked, this, &frmEdit::OnAccept);
  connect(discard_, &QPushButton::clicked, this, &QDialog::reject);
}

void frmEdit::Load(const EventRow& row) {
  original_ = row;
  edited_ = row;
  for (int i = 0; i < kEditFields; ++i) {
    fields_[static_cast<std::size_t>(i)]->setText(
        QString::fromStdString(row.Cell(kColumns[static_cast<std::size_t>(i)])));
  }
  fields_[0]->setFocus();
  fields_[0]->selectAll();
}

std::optional<int> frmEdit::FirstWrongField() const {
  if (!ParseNoteField(fields_[0]->text().toStdString())) return 0;
  for (int i = 1; i < kEditFields; ++i) {
    const FieldRule& rule = kRules[static_cast<std::size_t>(i)];
    if (!NumberInRange(fields_[static_cast<std::size_t>(i)]->text(), rule.lo, rule.hi)) return i;
  }
  return std::nullopt;
}

void frmEdit::OnAccept() {
  if (const auto wrong = FirstWrongField()) {
    dialogs_.ShowMessage(kAppTitle, FieldMessage(*wrong), MessageIcon::Critical);
    fields_[static_cast<std::size_t>(*wrong)]->setFocus();
    return;
  }
  EventRow row = original_;
  const int note = *ParseNoteField(fields_[0]->text().toStdString());
  row.Note = NoteName(note);
  row.Number = std::to_string(note);
  for (int i = 1; i < kEditFields; ++i) {
    row.Cell(kColumns[static_cast<std::size_t>(i)]) = fields_[static_cast<std::size_t>(i)]->text().toStdString();
  }
  edited_ = row;
  accept();
}

}  // namespace ntr::ui
