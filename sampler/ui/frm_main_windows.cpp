// SPDX-License-Identifier: GPL-3.0-or-later
// The windows of their own that the File menu opens beside this one (each
// closed with it): "Takes...", the take browser (frmTakes) on an instrument's
// folder the user picks, opened at the folder the window's fields name; and
// "Monitor Input...", the input meter (frmMonitorInput) on the chosen input;
// "Play Instrument...", an instrument folder's SoundFont played live.

#include <QAction>
#include <QMenu>

#include "engine/takes/sample_paths.h"
#include "session/run_setup.h"
#include "session/take_list.h"
#include "ui/frm_main.h"
#include "ui/frm_monitor_input.h"
#include "ui/frm_play_instrument.h"
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
  mPlayInstrument_ = mFile_->addAction(QStringLiteral("Play Instrument..."));
  mPlayInstrument_->setObjectName(QStringLiteral("mPlayInstrument"));
  connect(mPlayInstrument_, &QAction::triggered, this, &frmMain::OpenPlayInstrument);
}

void frmMain::ShowTakeInMonitor(const SavedTake& take) {
  auto* monitor = qobject_cast<frmMonitorInput*>(monitor_.data());
  if (monitor && take.levels) monitor->ShowTake("PATCH_" + take.programTag + " " + take.note, *take.levels);
}

void frmMain::OpenPlayInstrument() {
  if (!ModalAllowed()) return;
  if (!instrumentPlayer_) {
    parts_.dialogs.ShowMessage(kAppTitle, "No instrument can be played here.", MessageIcon::Information);
    return;
  }
  const PlainRunSettings run = session::RunSettingsOf(CurrentSettings());
  const std::optional<std::string> folder =
      parts_.dialogs.ChooseInstrumentFolder(InstrumentPath(run.saveFolder, run.instrumentName));
  if (!folder) return;
  const std::optional<std::string> soundFont = session::SoundFontOf(*folder);
  if (!soundFont) {
    parts_.dialogs.ShowMessage(
        kAppTitle,
        "The folder " + *folder + " holds no SoundFont (.sf2); \"Make Instrument Files...\" writes one from its takes.",
        MessageIcon::Critical);
    return;
  }
  delete playWindow_.data();  // one instrument at a time: it has the one synthesizer
  auto* window = new frmPlayInstrument(*instrumentPlayer_, *soundFont, this);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->show();
  playWindow_ = window;
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
  auto* browser = new frmTakes(std::move(takes), player_, this, &retaker_);
  browser->setAttribute(Qt::WA_DeleteOnClose);
  browser->show();
}

}  // namespace ntr::ui
