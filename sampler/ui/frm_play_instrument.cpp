// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_play_instrument.h"

#include <QComboBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/events/note_names.h"
#include "engine/ports.h"
#include "ui/computer_keyboard.h"

namespace ntr::ui {

frmPlayInstrument::frmPlayInstrument(InstrumentPlayerPort& player, const std::string& soundFont, QWidget* parent)
    : QWidget(parent, Qt::Window), player_(player), octave_(kFirstKeyboardOctave) {
  setObjectName(QStringLiteral("frmPlayInstrument"));
  setWindowTitle(QStringLiteral("Play Instrument"));
  setFocusPolicy(Qt::StrongFocus);
  cbPreset_ = new QComboBox(this);
  cbPreset_->setObjectName(QStringLiteral("cbPreset"));
  cbMidiInput_ = new QComboBox(this);
  cbMidiInput_->setObjectName(QStringLiteral("cbMidiInput"));
  lbState_ = new QLabel(this);
  lbState_->setObjectName(QStringLiteral("lbState"));
  lbProblem_ = new QLabel(this);
  lbProblem_->setObjectName(QStringLiteral("lbProblem"));
  lbProblem_->setWordWrap(true);
  auto* help = new QLabel(QStringLiteral("Computer keyboard: Z S X D C V G B H N J M and Q 2 W 3 E R 5 T 6 Y 7 U "
                                         "play two octaves; Left and Right change the octave, Up and Down the "
                                         "velocity."),
                          this);
  help->setWordWrap(true);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("SoundFont"), new QLabel(QString::fromStdString(soundFont), this));
  form->addRow(QStringLiteral("Preset"), cbPreset_);
  form->addRow(QStringLiteral("MIDI input"), cbMidiInput_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(lbState_);
  layout->addWidget(help);
  layout->addWidget(lbProblem_);

  try {
    player_.Load(soundFont);
  } catch (const std::exception& e) {
    lbProblem_->setText(QString::fromStdString(e.what()));
  }
  for (const std::string& preset : player_.Presets()) cbPreset_->addItem(QString::fromStdString(preset));
  cbMidiInput_->addItem(QStringLiteral("None"));
  for (const std::string& input : player_.MidiInputs()) cbMidiInput_->addItem(QString::fromStdString(input));
  connect(cbPreset_, &QComboBox::activated, this, [this](int index) { player_.SelectPreset(index); });
  connect(cbMidiInput_, &QComboBox::activated, this, &frmPlayInstrument::ChooseMidiInput);
  // The combo boxes would take the letters and arrows: the keys play wherever the focus is.
  cbPreset_->installEventFilter(this);
  cbMidiInput_->installEventFilter(this);
  ShowState();
}

frmPlayInstrument::~frmPlayInstrument() { player_.Close(); }

void frmPlayInstrument::ChooseMidiInput(int entry) {
  try {
    player_.ListenTo(entry - 1);
    lbProblem_->clear();
  } catch (const std::exception& e) {
    lbProblem_->setText(QString::fromStdString(e.what()));
  }
}

void frmPlayInstrument::ShowState() {
  lbState_->setText(QStringLiteral("Z plays %1, velocity %2")
                        .arg(QString::fromStdString(NoteName(std::clamp(octave_ * 12, 0, 127))))
                        .arg(velocity_));
}

bool frmPlayInstrument::KeyPressed(QKeyEvent* event) {
  if (event->isAutoRepeat()) return NoteOfKey(event->key(), octave_).has_value();
  switch (event->key()) {
    case Qt::Key_Left: octave_ = std::max(octave_ - 1, 0); break;
    case Qt::Key_Right: octave_ = std::min(octave_ + 1, 9); break;
    case Qt::Key_Up: velocity_ = std::min(velocity_ + kVelocityStep, 127); break;
    case Qt::Key_Down: velocity_ = std::max(velocity_ - kVelocityStep, 1); break;
    default: {
      const std::optional<int> note = NoteOfKey(event->key(), octave_);
      if (!note) return false;
      if (held_.contains(event->key())) return true;
      held_[event->key()] = *note;
      player_.NoteOn(*note, velocity_);
      return true;
    }
  }
  ShowState();
  return true;
}

bool frmPlayInstrument::KeyReleased(QKeyEvent* event) {
  if (event->isAutoRepeat()) return NoteOfKey(event->key(), octave_).has_value();
  const auto held = held_.find(event->key());
  if (held == held_.end()) return false;
  player_.NoteOff(held->second);
  held_.erase(held);
  return true;
}

void frmPlayInstrument::keyPressEvent(QKeyEvent* event) {
  if (!KeyPressed(event)) QWidget::keyPressEvent(event);
}

void frmPlayInstrument::keyReleaseEvent(QKeyEvent* event) {
  if (!KeyReleased(event)) QWidget::keyReleaseEvent(event);
}

bool frmPlayInstrument::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && KeyPressed(static_cast<QKeyEvent*>(event))) return true;
  if (event->type() == QEvent::KeyRelease && KeyReleased(static_cast<QKeyEvent*>(event))) return true;
  return QWidget::eventFilter(watched, event);
}

}  // namespace ntr::ui
