// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_instrument_options.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "engine/run/run_controller.h"
#include "ui/user_dialogs.h"

namespace ntr::ui {

using session::SettingKey;
using session::SettingKind;

namespace {

int SpinLimit(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

QWidget* MakeEditor(const SettingKey& key, const QString& text, QWidget* parent) {
  QWidget* editor = nullptr;
  switch (key.kind) {
    case SettingKind::Flag: {
      auto* box = new QCheckBox(parent);
      box->setChecked(text == QLatin1String("1"));
      editor = box;
      break;
    }
    case SettingKind::Number: {
      auto* spin = new QSpinBox(parent);
      spin->setRange(SpinLimit(key.lo), SpinLimit(key.hi));
      spin->setValue(text.toInt());
      editor = spin;
      break;
    }
    case SettingKind::Text: {
      auto* line = new QLineEdit(text, parent);
      line->setMinimumWidth(line->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 24);  // a few layers
      editor = line;
      break;
    }
  }
  editor->setObjectName(QString::fromUtf8(key.name.data(), static_cast<qsizetype>(key.name.size())));
  editor->setToolTip(QString::fromUtf8(key.values.data(), static_cast<qsizetype>(key.values.size())));
  return editor;
}

}  // namespace

frmInstrumentOptions::frmInstrumentOptions(UserDialogs& dialogs, const session::SessionSettings& settings,
                                           QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), original_(settings), edited_(settings) {
  setObjectName(QStringLiteral("frmInstrumentOptions"));
  setWindowTitle(QStringLiteral("Instrument Options"));
  setModal(true);

  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  for (const SettingKey* key : session::KeysOfGroup(session::kInstrumentGroup)) {
    QWidget* editor = MakeEditor(*key, key->text(settings), this);
    form->addRow(QString::fromStdString(key->Label()), editor);
    rows_.push_back({key, editor});
  }
  layout->addLayout(form);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cbOk"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cbCancel"));
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &frmInstrumentOptions::OnOk);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QWidget* frmInstrumentOptions::Editor(std::string_view keyName) const {
  for (const Row& row : rows_) {
    if (row.key->name == keyName) return row.editor;
  }
  return nullptr;
}

QString frmInstrumentOptions::EditorText(const Row& row) const {
  if (const auto* box = qobject_cast<QCheckBox*>(row.editor)) {
    return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
  }
  if (const auto* spin = qobject_cast<QSpinBox*>(row.editor)) return QString::number(spin->value());
  return qobject_cast<QLineEdit*>(row.editor)->text();
}

void frmInstrumentOptions::OnOk() {
  session::SessionSettings edited = original_;
  for (const Row& row : rows_) {
    if (row.key->parse(edited, EditorText(row).toStdString())) continue;
    dialogs_.ShowMessage(kAppTitle, row.key->Label() + " takes " + std::string(row.key->values),
                         MessageIcon::Critical);
    row.editor->setFocus();
    return;
  }
  edited_ = edited;
  accept();
}

std::vector<const SettingKey*> frmInstrumentOptions::ChangedKeys() const {
  std::vector<const SettingKey*> changed;
  for (const Row& row : rows_) {
    if (row.key->text(edited_) != row.key->text(original_)) changed.push_back(row.key);
  }
  return changed;
}

}  // namespace ntr::ui
