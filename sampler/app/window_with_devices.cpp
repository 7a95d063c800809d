// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_with_devices.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

namespace ntr::app {

WindowWithDevices::WindowWithDevices(std::unique_ptr<QSettings> settings, ui::UserDialogs& dialogs)
    : devices_(clock_),
      settings_(std::move(settings)),
      window_(ui::MainWindowParts{devices_.Midi(), devices_.Midi(), devices_.Recorder(), mixer_, clock_, dialogs,
                                  settings_}) {
  window_.SetPlayer(&player_);
  window_.SetInputMeter(&inputMeter_);
  window_.SetInstrumentPlayer(&instrument_);
}

void ApplyProgramLook() {
  // One style on every platform, so the window looks as designed everywhere.
  if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) QApplication::setStyle(fusion);
  QFont font = QApplication::font();
  font.setPointSizeF(8.0);
  QApplication::setFont(font);
}

}  // namespace ntr::app
