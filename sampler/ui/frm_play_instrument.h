// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// frmPlayInstrument: "Play Instrument", an instrument's SoundFont played
// before the synth is packed away: from a MIDI keyboard (any MIDI input,
// chosen in the window) or from the computer keyboard (computer_keyboard.h);
// a released key lets its release play. The window only passes the keys on:
// the InstrumentPlayerPort it is given sounds them. User-interface thread.

#include <QWidget>
#include <map>

#include "engine/instrument_player_port.h"

class QComboBox;
class QLabel;

namespace ntr::ui {

class frmPlayInstrument : public QWidget {
  Q_OBJECT
 public:
  // soundFont: the instrument's .sf2 file (session::SoundFontOf).
  frmPlayInstrument(InstrumentPlayerPort& player, const std::string& soundFont, QWidget* parent = nullptr);
  ~frmPlayInstrument() override;

  int Octave() const { return octave_; }
  int Velocity() const { return velocity_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowState();
  void ChooseMidiInput(int entry);
  bool KeyPressed(QKeyEvent* event);
  bool KeyReleased(QKeyEvent* event);

  InstrumentPlayerPort& player_;
  int octave_;
  int velocity_ = 100;
  std::map<int, int> held_;  // key -> the note it sounds (the octave may change while it is held)
  QComboBox* cbPreset_ = nullptr;
  QComboBox* cbMidiInput_ = nullptr;
  QLabel* lbState_ = nullptr;
  QLabel* lbProblem_ = nullptr;
};

}  // namespace ntr::ui
