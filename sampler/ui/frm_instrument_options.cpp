// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_instrument_options.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
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
      if (!key.example.empty()) {
        line->setPlaceholderText(QStringLiteral("for example ") +
                                 QString::fromUtf8(key.example.data(), static_cast<qsizetype>(key.example.size())));
      }
      line->setMinimumWidth(line->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 24);  // a few layers
      editor = line;
      break;
    }
  }
  editor->setObjectName(QString::fromUtf8(key.name.data(), static_cast<qsizetype>(key.name.size())));
  editor->setToolTip(QString::fromUtf8(key.values.data(), static_cast<qsizetype>(key.values.size())));
  return editor;
}

// What --help says of the key, in a smaller, quieter line under its field.
QLabel* MakeDescription(const SettingKey& key, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(key.values.data(), static_cast<qsizetype>(key.values.size())), parent);
  label->setObjectName(QStringLiteral("about ") +
                       QString::fromUtf8(key.name.data(), static_cast<qsizetype>(key.name.size())));
  label->setWordWrap(true);
  label->setMaximumWidth(label->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 60);
  QFont font = label->font();
  font.setPointSizeF(font.pointSizeF() * 0.9);
  label->setFont(font);
  label->setForegroundRole(QPalette::PlaceholderText);
  return label;
}

}  // namespace

frmInstrumentOptions::frmInstrumentOptions(UserDialogs& dialogs, const session::SessionSettings& settings,
                                           QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), original_(settings), edited_(settings) {
  setObjectName(QStringLiteral("frmInstrumentOptions"));
  setWindowTitle(QStringLiteral("Instrument Options"));
  setModal(true);

  auto* layout = new QVBoxLayout(this);
  // One box per heading, in the order the key table first names it; each
  // field with what the key takes under it (and as its tool tip).
  std::vector<std::pair<std::string_view, QFormLayout*>> headings;
  for (const SettingKey* key : session::KeysOfGroup(session::kInstrumentGroup)) {
    const std::string_view heading = key->heading.empty() ? std::string_view("Other") : key->heading;
    auto found =
        std::find_if(headings.begin(), headings.end(), [heading](const auto& h) { return h.first == heading; });
    if (found == headings.end()) {
      auto* box = new QGroupBox(QString::fromUtf8(heading.data(), static_cast<qsizetype>(heading.size())), this);
      box->setObjectName(QStringLiteral("heading ") + box->title());
      layout->addWidget(box);
      headings.emplace_back(heading, new QFormLayout(box));
      found = headings.end() - 1;
    }
    QWidget* editor = MakeEditor(*key, key->text(settings), this);
    found->second->addRow(QString::fromStdString(key->Label()), editor);
    found->second->addRow(QString(), MakeDescription(*key, this));
    rows_.push_back({key, editor});
  }

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
    dialogs_.ShowMessage(kAppTitle, row.key->Label() + " takes " + std::string(row.key->values), MessageIcon::Critical);
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
