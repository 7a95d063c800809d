#pragma once
// The program as main() puts it together (ModPrg): the Qt clock, the real
// devices (MIDI_MOD with the built-in synthesizer, the recorders, VOLUME_MOD),
// the settings store and the main window wired to them. Made after the
// QApplication and destroyed before it.

#include <QSettings>
#include <memory>

#include "devices/device_layer.h"
#include "devices/mixer/volume_mod.h"
#include "ui/frm_main.h"
#include "ui/qt_clock.h"
#include "ui/settings_store.h"
#include "ui/user_dialogs.h"

namespace ntr::ui {

class ProgramParts {
 public:
  // settings: the store to use (the user's own, or a file); dialogs: how
  // messages reach the user (real message boxes in the program).
  ProgramParts(std::unique_ptr<QSettings> settings, UserDialogs& dialogs);

  frmMain& Window() { return window_; }

 private:
  QtClock clock_;
  DeviceLayer devices_;
  VOLUME_MOD mixer_;
  SettingsStore settings_;
  frmMain window_;
};

// The look every front end of the program shares (style and font).
void ApplyProgramLook();

}  // namespace ntr::ui
