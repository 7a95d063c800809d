// SPDX-License-Identifier: GPL-3.0-or-later
// frmMain and the settings store: the start-up values, "Load Settings" and
// "Save Settings".

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "engine/run/run_controller.h"
#include "session/setting_keys.h"
#include "ui/frm_main.h"
#include "ui/piano_keys.h"
#include "ui/user_dialogs.h"

namespace ntr::ui {

namespace {

// Moves a list to the row that shows text (the store only hands over texts that a row shows).
void ShowRow(QComboBox* list, const QString& text) {
  const int row = list->findText(text);
  list->setCurrentIndex(row >= 0 ? row : list->count() - 1);
}

}  // namespace

StoredSettings frmMain::CollectSettings() const {
  StoredSettings s;
  for (std::size_t i = 0; i < s.notes.size(); ++i) s.notes[i] = chNote_[i]->isChecked();
  for (std::size_t k = 0; k < s.octaves.size(); ++k) s.octaves[k] = chOctave_[k]->isChecked();
  s.channel = dbcMidiChannell_->currentText();
  s.programs = txtPatches_->text();
  s.velocity = txtKeyVelocity_->text();
  s.duration = txtNotesDuration_->text();
  s.decay = txtNotesDecay_->text();
  s.rate = dbcSampleRate_->currentText();
  s.bits = dbcSampleBits_->currentText();
  s.channels = dbcSampleMode_->currentText();
  s.embedded = chSmpl_->isChecked();
  s.gear = txtGear_->text();
  s.folder = txtFolder_->text();
  for (std::size_t i = 0; i < sliders_.size(); ++i) s.knobTops[i] = sliders_[i]->KnobTop();
  return s;
}

void frmMain::ApplySettings(const StoredSettings& s) {
  // Setting a box acts as a click on it: the notes caption and the octave colours follow.
  for (std::size_t i = 0; i < s.notes.size(); ++i) chNote_[i]->setChecked(s.notes[i]);
  for (std::size_t k = 0; k < s.octaves.size(); ++k) chOctave_[k]->setChecked(s.octaves[k]);
  ShowRow(dbcMidiChannell_, s.channel);
  txtPatches_->setText(s.programs);
  txtKeyVelocity_->setText(s.velocity);
  txtNotesDuration_->setText(s.duration);
  txtNotesDecay_->setText(s.decay);
  ShowRow(dbcSampleRate_, s.rate);
  ShowRow(dbcSampleBits_, s.bits);
  ShowRow(dbcSampleMode_, s.channels);
  chSmpl_->setChecked(s.embedded);
  txtGear_->setText(s.gear);
  txtFolder_->setText(s.folder);
  for (std::size_t i = 0; i < sliders_.size(); ++i) sliders_[i]->PlaceKnob(s.knobTops[i]);
}

void frmMain::ApplyKnobLevels() {
  for (LevelSlider* slider : sliders_) slider->ApplyKnobLevel();
}

void frmMain::InitialiseSettings() {
  ApplyControls(controller_.Controls());
  const SessionSettings loaded = parts_.settings.LoadSession();
  options_ = loaded.options;
  UpdateSynthMenuItems();
  mSkipMade_->setChecked(options_.skipTakesAlreadyMade);
  ApplySettings(loaded.stored);
  ApplyKnobLevels();
  GenerateEvents(true);
}

void frmMain::LoadSettings() {
  ApplySettings(parts_.settings.Load());
  ApplyKnobLevels();
}

void frmMain::SaveSettings() { parts_.settings.Save(CollectSettings()); }

void frmMain::OnLoadCommand() {
  if (!ModalAllowed()) return;
  if (!parts_.dialogs.AskYesNo(kAppTitle, "Load settings?")) return;
  LoadSettings();
  parts_.dialogs.ShowMessage(kAppTitle, "Settings loaded!", MessageIcon::Information);
}

// Takes effect at the next START; stored as soon as it is chosen.
void frmMain::OnSkipMadeToggled(bool checked) {
  if (options_.skipTakesAlreadyMade == checked) return;
  options_.skipTakesAlreadyMade = checked;
  parts_.settings.SaveKey(CurrentSettings(), *session::FindSettingKey("Run/SkipTakesAlreadyMade"));
}

void frmMain::OnSaveCommand() {
  if (!ModalAllowed()) return;
  if (!parts_.dialogs.AskYesNo(kAppTitle, "Save settings?")) return;
  SaveSettings();
  parts_.dialogs.ShowMessage(kAppTitle, "Settings saved!", MessageIcon::Information);
}

}  // namespace ntr::ui
