// SPDX-License-Identifier: GPL-3.0-or-later
// The File menu's "Instrument Options...": the settings of the group
// "Instrument" in a dialog of their own, stored as soon as they are chosen.

#include <QAction>
#include <QMenu>

#include "ui/frm_instrument_options.h"
#include "ui/frm_main.h"
#include "ui/user_dialogs.h"

namespace ntr::ui {

void frmMain::BuildOptionsMenuItem() {
  mInstrumentOptions_ = mFile_->addAction(QStringLiteral("Instrument Options..."));
  mInstrumentOptions_->setObjectName(QStringLiteral("mInstrumentOptions"));
  connect(mInstrumentOptions_, &QAction::triggered, this, &frmMain::OpenInstrumentOptions);
}

void frmMain::OpenInstrumentOptions() {
  if (!ModalAllowed()) return;
  frmInstrumentOptions dialog(parts_.dialogs, CurrentSettings(), this);
  if (parts_.dialogs.RunModal(dialog) != QDialog::Accepted) return;
  const RunOptions before = options_;
  options_ = dialog.Edited().options;
  for (const session::SettingKey* key : dialog.ChangedKeys()) parts_.settings.SaveKey(CurrentSettings(), *key);
  // The rows are the takes: a list made for other layers or rounds would
  // record the wrong ones. A suspended run's list is left to the user's
  // "Generate Events", as its buttons are.
  const bool takesChanged =
      options_.velocityLayers != before.velocityLayers || options_.roundRobins != before.roundRobins;
  if (takesChanged && controller_.State() == RunState::Idle) {
    GenerateEvents(true);
  }
}

}  // namespace ntr::ui
