// SPDX-License-Identifier: GPL-3.0-or-later
// The File menu's items for the built-in synthesizer: rendering faster than
// real time and the SoundFont. Both are options of a group of their own,
// stored as soon as they are chosen and read by the next START.

#include <QAction>
#include <QMenu>

#include "session/setting_keys.h"
#include "ui/frm_main.h"
#include "ui/user_dialogs.h"

namespace ntr::ui {

namespace {
constexpr const char* kRenderFastCaption = "Render faster than real time";
// Only the built-in synthesizer renders its sound; any other device plays in real time.
constexpr const char* kRenderFastOtherDevice = "Render faster than real time (no effect: not the built-in synthesizer)";
}  // namespace

void frmMain::BuildSynthMenuItems() {
  mRenderFast_ = mFile_->addAction(QString::fromLatin1(kRenderFastCaption));
  mRenderFast_->setObjectName(QStringLiteral("mRenderFast"));
  mRenderFast_->setCheckable(true);
  connect(mRenderFast_, &QAction::triggered, this, &frmMain::SetRenderFast);
  mSoundFont_ = mFile_->addAction(QStringLiteral("SoundFont for the built-in synthesizer..."));
  mSoundFont_->setObjectName(QStringLiteral("mSoundFont"));
  connect(mSoundFont_, &QAction::triggered, this, &frmMain::ChooseSoundFont);
}

void frmMain::UpdateSynthMenuItems() {
  mRenderFast_->setChecked(options_.renderFast);
  mRenderFast_->setText(QString::fromLatin1(IsBuiltInSynthEntry(midiDeviceIndex_) ? kRenderFastCaption
                                                                                   : kRenderFastOtherDevice));
  mSoundFont_->setStatusTip(options_.soundFont.empty() ? QStringLiteral("The system's General MIDI SoundFont")
                                                       : QString::fromStdString(options_.soundFont));
}

void frmMain::SetRenderFast(bool fast) {
  options_.renderFast = fast;
  parts_.settings.SaveKey(CurrentSettings(), *session::FindSettingKey("Synth/RenderFast"));
  UpdateSynthMenuItems();
}

void frmMain::ChooseSoundFont() {
  if (!ModalAllowed()) return;
  const std::optional<std::string> chosen = parts_.dialogs.ChooseSoundFont(options_.soundFont);
  if (!chosen) return;
  options_.soundFont = *chosen;
  parts_.settings.SaveKey(CurrentSettings(), *session::FindSettingKey("Synth/SoundFont"));
  UpdateSynthMenuItems();
}

}  // namespace ntr::ui
