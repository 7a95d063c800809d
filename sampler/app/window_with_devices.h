// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window as the program shows it: wired to the Qt clock, the real
// devices (MIDI_MOD with the built-in synthesizer, the recorders, VOLUME_MOD,
// the take browser's player, the input meter, the live instrument)
// and a settings store. It owns all of them; made after the QApplication and
// destroyed before it (main(), the window-shot tool, the end-to-end tests).

#include <QSettings>
#include <memory>

#include "devices/device_layer.h"
#include "devices/mixer/volume_mod.h"
#include "devices/monitor/audio_input_meter.h"
#include "devices/playback/rtaudio_player.h"
#include "devices/synth/live_instrument.h"
#include "ui/frm_main.h"
#include "ui/qt_clock.h"
#include "session/settings_store.h"
#include "ui/user_dialogs.h"

namespace ntr::app {

class WindowWithDevices {
 public:
  // settings: the store to use (the user's own, or a file); dialogs: how
  // messages reach the user (real message boxes in the program).
  WindowWithDevices(std::unique_ptr<QSettings> settings, ui::UserDialogs& dialogs);

  ui::frmMain& Window() { return window_; }

 private:
  ui::QtClock clock_;
  DeviceLayer devices_;
  VOLUME_MOD mixer_;
  RtAudioPlayer player_;        // the take browser's output
  AudioInputMeter inputMeter_;  // "Monitor Input"'s input
  LiveInstrument instrument_;   // "Play Instrument"'s synthesizer
  session::SettingsStore settings_;
  ui::frmMain window_;
};

// The look every front end of the program shares (style and font).
void ApplyProgramLook();

}  // namespace ntr::app
