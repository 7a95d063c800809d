// SPDX-License-Identifier: GPL-3.0-or-later
// The File menu's "Audio Input": where an external instrument is recorded
// from. The inputs are asked of the recorder each time the menu opens, as
// they come and go; the choice is stored at once and read by the next START.
// The built-in synthesizer is recorded from its own output whatever is chosen.

#include <QAction>
#include <QMenu>
#include <algorithm>

#include "session/setting_keys.h"
#include "ui/frm_main.h"

namespace ntr::ui {

void frmMain::BuildAudioInputMenu() {
  mAudioInput_ = mFile_->addMenu(QStringLiteral("Audio Input"));
  mAudioInput_->setObjectName(QStringLiteral("mAudioInput"));
  mAudioInput_->menuAction()->setObjectName(QStringLiteral("mAudioInputAction"));
  connect(mAudioInput_, &QMenu::aboutToShow, this, &frmMain::FillAudioInputMenu);
}

void frmMain::FillAudioInputMenu() {
  mAudioInput_->clear();
  std::vector<AudioInputEntry> inputs{kDefaultAudioInput};
  for (AudioInputEntry& input : parts_.recorder.AudioInputs()) inputs.push_back(std::move(input));
  const std::string& chosen = options_.audioInput;
  const bool there = std::any_of(inputs.begin(), inputs.end(), [&](const auto& i) { return i.setting == chosen; });
  if (!there) inputs.push_back({chosen, chosen + " (not there now)"});
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    QAction* entry = mAudioInput_->addAction(QString::fromStdString(inputs[i].label));
    entry->setObjectName(QStringLiteral("mAudioInput%1").arg(i));
    entry->setCheckable(true);
    entry->setChecked(inputs[i].setting == chosen);
    connect(entry, &QAction::triggered, this, [this, setting = inputs[i].setting] { ChooseAudioInput(setting); });
  }
}

void frmMain::ChooseAudioInput(const std::string& setting) {
  options_.audioInput = setting;
  parts_.settings.SaveKey(CurrentSettings(), *session::FindSettingKey("Audio/Input"));
}

}  // namespace ntr::ui
