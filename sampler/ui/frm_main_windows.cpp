// SPDX-License-Identifier: GPL-3.0-or-later
// The windows of their own that the File menu opens beside this one (each
// closed with it): "Takes...", the take browser (frmTakes) on an instrument's
// folder the user picks, opened at the folder the window's fields name; and
// "Monitor Input...", the input meter (frmMonitorInput) on the chosen input.

#include <QAction>
#include <QMenu>

#include "engine/takes/sample_paths.h"
#include "session/run_setup.h"
#include "session/take_list.h"
#include "ui/frm_main.h"
#include "ui/frm_monitor_input.h"
#include "ui/frm_takes.h"
#include "ui/user_dialogs.h"

namespace ntr::ui {

void frmMain::BuildWindowMenuItems() {
  mFile_->addSeparator();
  mTakes_ = mFile_->addAction(QStringLiteral("Takes..."));
  mTakes_->setObjectName(QStringLiteral("mTakes"));
  connect(mTakes_, &QAction::triggered, this, &frmMain::OpenTakes);
  mMonitorInput_ = mFile_->addAction(QStringLiteral("Monitor Input..."));
  mMonitorInput_->setObjectName(QStringLiteral("mMonitorInput"));
  connect(mMonitorInput_, &QAction::triggered, this, &frmMain::OpenMonitorInput);
}

void frmMain::OpenMonitorInput() {
  if (monitor_) {
    monitor_->raise();
    monitor_->activateWindow();
    return;
  }
  if (!inputMeter_) {
    parts_.dialogs.ShowMessage(kAppTitle, "No audio input can be watched here.", MessageIcon::Information);
    return;
  }
  monitor_ = new frmMonitorInput(*inputMeter_, options_.audioInput, this);
  monitor_->setAttribute(Qt::WA_DeleteOnClose);
  monitor_->show();
}

void frmMain::OpenTakes() {
  if (!ModalAllowed()) return;
  const PlainRunSettings run = session::RunSettingsOf(CurrentSettings());
  const std::optional<std::string> folder =
      parts_.dialogs.ChooseInstrumentFolder(InstrumentPath(run.saveFolder, run.instrumentName));
  if (folder) OpenTakesOf(*folder);
}

void frmMain::OpenTakesOf(const std::string& folder) {
  session::TakeFolder takes;
  try {
    takes = session::ListTakeFolder(folder);
  } catch (const std::exception& e) {
    parts_.dialogs.ShowMessage(kAppTitle, e.what(), MessageIcon::Critical);
    return;
  }
  auto* browser = new frmTakes(std::move(takes), player_, this);
  browser->setAttribute(Qt::WA_DeleteOnClose);
  browser->show();
}

}  // namespace ntr::ui
