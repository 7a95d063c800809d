// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_main.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include "engine/events/note_names.h"
#include "engine/events/program_slots.h"
#include "session/recording_source.h"
#include "session/run_refusal.h"
#include "ui/event_grid_model.h"
#include "ui/frm_about.h"
#include "ui/frm_edit.h"
#include "ui/frm_takes.h"
#include "ui/piano_keys.h"
#include "ui/user_dialogs.h"

namespace ntr::ui {

namespace {

QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A modal dialog opened while an event plays would hold the note (and its
// take) until it closes: dialogs open only while the run is idle or
// suspended between events.
bool ModalDialogsAllowed(RunState state) { return state == RunState::Idle || state == RunState::Suspended; }

}  // namespace

frmMain::frmMain(const MainWindowParts& parts, QWidget* parent)
    : QMainWindow(parent),
      parts_(parts),
      session_(
          {parts.midi, parts.recorder, parts.clock, parts.dialogs, parts.mixer}, [this] { return CurrentSettings(); },
          [this] { return DevicesOfRun(); }),
      controller_(session_.Controller()),
      retaker_({parts.midi, parts.recorder, parts.clock, parts.dialogs}, [this] { return CurrentSettings(); },
               [this] { return DevicesOfRun(); }, [this] { return controller_.RunActive(); }),
      scale_(96.0) {
  setObjectName(QStringLiteral("frmMain"));
  // The layout follows the screen's logical DPI (twips are physical units).
  scale_ = TwipScale::ForWidget(*this);
  BuildMenus();
  BuildForm();
  Connect();
  controller_.AddObserver(this);
  ApplyControls(controller_.Controls());
  EnableDialogItems(controller_.State());
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

frmMain::~frmMain() {
  controller_.RemoveObserver(this);
}

void frmMain::Connect() {
  for (PianoKey* key : chNote_) connect(key, &QAbstractButton::toggled, this, &frmMain::UpdateNotesCaption);
  for (int k = 0; k < kOctaveCount; ++k) {
    connect(chOctave_[static_cast<std::size_t>(k)], &QCheckBox::toggled, this, [this, k] { UpdateOctaveColour(k); });
  }
  connect(cbSelAllNotes_, &QPushButton::clicked, this, [this] {
    for (PianoKey* key : chNote_) key->setChecked(true);
  });
  connect(cbUnselAllNotes_, &QPushButton::clicked, this, [this] {
    for (PianoKey* key : chNote_) key->setChecked(false);
  });
  connect(cbSelAllOctaves_, &QPushButton::clicked, this, [this] {
    for (QCheckBox* box : chOctave_) box->setChecked(true);
  });
  connect(cbUnselAllOctaves_, &QPushButton::clicked, this, [this] {
    for (QCheckBox* box : chOctave_) box->setChecked(false);
  });
  connect(cbGenerateMIDI_, &QPushButton::clicked, this, [this] { GenerateEvents(true); });
  connect(cbAddEvents_, &QPushButton::clicked, this, [this] { GenerateEvents(false); });

  connect(cbStart_, &QPushButton::clicked, this, &frmMain::OnStartClicked);
  connect(cbStop_, &QPushButton::clicked, this, [this] { controller_.Stop(); });
  connect(cbResume_, &QPushButton::clicked, this, [this] { controller_.Resume(); });

  connect(dbgEvents_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    SetCurrentRow(index.row());
    OpenEditor();
  });

  for (int i = 0; i < kMidiMenuEntries; ++i) {
    connect(mMidiDev_[static_cast<std::size_t>(i)], &QAction::triggered, this, [this, i] { SelectMidiDevice(i); });
  }
  connect(mSkipMade_, &QAction::toggled, this, &frmMain::OnSkipMadeToggled);
  connect(mSave_, &QAction::triggered, this, &frmMain::OnSaveCommand);
  connect(mLoad_, &QAction::triggered, this, &frmMain::OnLoadCommand);
  connect(mMakeInstrument_, &QAction::triggered, this, &frmMain::MakeInstrumentFiles);
  connect(mExit_, &QAction::triggered, this, &frmMain::OnExit);
  connect(mAbout_, &QAction::triggered, this, &frmMain::ShowAbout);

  UpdateNotesCaption();
  for (int k = 0; k < kOctaveCount; ++k) UpdateOctaveColour(k);
}

// ---- load and unload ------------------------------------------------------

void frmMain::Load() {
  setWindowTitle(QString::fromLatin1(kWindowTitle));
  BuildMidiMenu();
  SelectMidiDevice(parts_.settings.LoadMidiDevice());
  if (!parts_.mixer.OpenMixerDevice()) {
    // Said once, over the window once it is up; the sliders go on working without a mixer.
    QTimer::singleShot(0, this, [this] { parts_.dialogs.ShowMessage(kShortTitle, kMixerFailedMessage, MessageIcon::None); });
  }
  InitialiseSettings();
}

void frmMain::closeEvent(QCloseEvent* event) {
  // While a run is on the stack (also a stopped one finishing its event) the
  // devices are in use: closing is refused.
  if (controller_.RunActive() || retaker_.Active()) {
    parts_.dialogs.Beep();
    event->ignore();
    return;
  }
  parts_.midi.CloseMidiOutput();
  event->accept();
}

void frmMain::OnExit() {
  // During a run Exit does nothing (closing the window beeps instead).
  if (controller_.RunActive()) return;
  close();
}

// ---- device menu -----------------------------------------------------------

void frmMain::BuildMidiMenu() {
  const std::vector<std::string> captions = parts_.midiDevices.ListMidiDevices();
  for (int i = 0; i < kMidiMenuEntries; ++i) {
    QAction* entry = mMidiDev_[static_cast<std::size_t>(i)];
    const bool present = static_cast<std::size_t>(i) < captions.size();
    entry->setText(present ? QString::fromStdString(captions[static_cast<std::size_t>(i)]) : QString());
    entry->setVisible(present);
    entry->setEnabled(present);
  }
}

void frmMain::SelectMidiDevice(int entry) {
  if (entry < 0 || entry >= kMidiMenuEntries) entry = 0;
  mMidiDev_[static_cast<std::size_t>(midiDeviceIndex_)]->setChecked(false);
  mMidiDev_[static_cast<std::size_t>(entry)]->setChecked(true);
  midiDeviceIndex_ = entry;
  parts_.settings.SaveMidiDevice(entry);
  UpdateSynthMenuItems();
  if (controller_.RunActive()) {
    pendingMidiDevice_ = entry;
  } else {
    parts_.midiDevices.SelectMidiDevice(entry);
  }
}

// ---- selection and generation ----------------------------------------------

void frmMain::UpdateNotesCaption() {
  std::array<bool, 12> notes{};
  for (std::size_t i = 0; i < notes.size(); ++i) notes[i] = chNote_[i]->isChecked();
  pnlNotes_->setText(QString::fromStdString(SelectedNotesCaption(notes)));
}

void frmMain::UpdateOctaveColour(int octave) {
  QCheckBox* box = chOctave_[static_cast<std::size_t>(octave)];
  QPalette palette = box->palette();
  const QColor colour = box->isChecked() ? QColor(0xFF, 0xFF, 0xFF) : QColor(0x80, 0x80, 0x80);
  palette.setColor(QPalette::WindowText, colour);
  palette.setColor(QPalette::ButtonText, colour);
  box->setPalette(palette);
}

void frmMain::GenerateEvents(bool clearFirst) {
  const StoredSettings normalised = session_.GenerateEvents(clearFirst);
  txtKeyVelocity_->setText(normalised.velocity);
  txtNotesDuration_->setText(normalised.duration);
  txtNotesDecay_->setText(normalised.decay);
  gridModel_->RefreshAll();
  SetCurrentRow(0);
}

int frmMain::CurrentRow() const {
  const QModelIndex current = dbgEvents_->currentIndex();
  return current.isValid() ? current.row() : -1;
}

void frmMain::SetCurrentRow(int row) {
  if (row < 0 || row >= gridModel_->rowCount()) {
    dbgEvents_->selectionModel()->clearCurrentIndex();
    dbgEvents_->clearSelection();
    return;
  }
  const QModelIndex index = gridModel_->index(row, 0);
  dbgEvents_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  dbgEvents_->scrollTo(index);
}

// The program list takes digits, "," and "-" as typed; other keys beep.
bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtPatches_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    if (!text.isEmpty() && !ProgramListAcceptsKey(text.at(0).unicode())) {
      parts_.dialogs.Beep();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- editor and about box -------------------------------------------------------

// The dialogs' menu items are greyed while a note may sound; a command that
// comes all the same (a shortcut, a caller of its own) is refused with a beep.
bool frmMain::ModalAllowed() {
  if (ModalDialogsAllowed(controller_.State())) return true;
  parts_.dialogs.Beep();
  return false;
}

// The items that open a dialog. The device entries, the check items and
// "Exit" (which does nothing during a run) open none and stay as they are.
void frmMain::EnableDialogItems(RunState state) {
  const bool allowed = ModalDialogsAllowed(state);
  for (QAction* item : {mSoundFont_, mInstrumentOptions_, mSave_, mLoad_, mMakeInstrument_, mTakes_, mPlayInstrument_, mAbout_}) {
    item->setEnabled(allowed);
  }
}

void frmMain::OpenEditor() {
  if (!ModalAllowed()) return;
  const int row = CurrentRow();
  if (row < 0 || static_cast<std::size_t>(row) >= session_.Events().RowCount()) return;
  frmEdit editor(parts_.dialogs, this);
  editor.Load(session_.Events().Row(static_cast<std::size_t>(row)));
  if (parts_.dialogs.RunModal(editor) != QDialog::Accepted) return;
  // The list may have been rebuilt while the editor was open (a suspended run's window stays live).
  if (static_cast<std::size_t>(row) >= session_.Events().RowCount()) return;
  session_.Events().SetRow(static_cast<std::size_t>(row), editor.Edited());
  gridModel_->RefreshRow(row);
}

void frmMain::ShowAbout() {
  if (!ModalAllowed()) return;
  frmAbout about(this);
  parts_.dialogs.RunModal(about);
}

// ---- the run -------------------------------------------------------------------------

void frmMain::OnStartClicked() {
  // A retake holds the devices until it returns.
  if (retaker_.Active()) {
    parts_.dialogs.Beep();
    return;
  }
  // START returns when the run has ended; SUSPEND at once.
  if (controller_.StartOrSuspend() == RunController::StartResult::Refused) parts_.dialogs.Beep();
}

void frmMain::SetSettingsEnabled(bool enabled) {
  for (PianoKey* key : chNote_) key->setEnabled(enabled);
  for (QPushButton* button :
       {cbSelAllNotes_, cbUnselAllNotes_, cbSelAllOctaves_, cbUnselAllOctaves_, cbGenerateMIDI_, cbAddEvents_}) {
    button->setEnabled(enabled);
  }
  for (QGroupBox* panel : ssPanels_) panel->setEnabled(enabled);
}

void frmMain::ApplyControls(const RunControls& controls) {
  cbStart_->setText(FromView(controls.startCaption));
  cbStart_->setEnabled(controls.startEnabled);
  cbStop_->setEnabled(controls.stopEnabled);
  cbResume_->setEnabled(controls.resumeEnabled);
  SetSettingsEnabled(controls.settingsEnabled);
}

void frmMain::RunStateChanged(RunState state) {
  ApplyControls(ControlsFor(state));
  EnableDialogItems(state);
  // The row beside "Now playing" is empty after a run, the last take's peak too.
  if (state == RunState::Idle) lbPeak_->clear();
  for (frmTakes* browser : findChildren<frmTakes*>()) browser->UpdateRetakeButton();
  if (state == RunState::Idle && pendingMidiDevice_) {
    parts_.midiDevices.SelectMidiDevice(*pendingMidiDevice_);
    pendingMidiDevice_.reset();
  }
}

void frmMain::RunProgressChanged(const RunProgress& progress) {
  lbTitle_[0]->setText(QString::fromStdString(progress.estimateTitle));
  lbData_[0]->setText(QString::fromStdString(progress.estimate));
  lbData_[1]->setText(QString::fromStdString(progress.elapsed));
  lbData_[2]->setText(QString::fromStdString(progress.nowPlaying));
}

void frmMain::RunRowChanged(std::size_t row) { SetCurrentRow(static_cast<int>(row)); }

void frmMain::TakeSaved(const SavedTake& take) {
  ShowTakeInMonitor(take);
  if (!take.levels) {
    lbPeak_->clear();
    return;
  }
  QString text = QString::number(take.levels->peakDbfs, 'f', 1) + QStringLiteral(" dB");
  if (take.status == TakeStatus::Clipped) text += QStringLiteral(" clip");
  if (take.status == TakeStatus::Silent) text = QStringLiteral("silent");
  lbPeak_->setText(text);
}

// After a run that played: what it made, and where its report is. A run
// refused before it played has said why already, and made no report.
void frmMain::RunFinished(const RunResult& result) {
  if (session::RefusedBeforePlaying(result)) return;
  std::string text = (result.outcome == RunOutcome::Completed ? "Sampling finished: " : "Sampling ended: ") +
                     session::RunSummary(result) + ".";
  if (!session_.Report().Where().empty()) text += "\n\n" + session_.Report().Where();
  if (!session_.InstrumentFilesWhere().empty()) text += "\n\n" + session_.InstrumentFilesWhere() + ".";
  parts_.dialogs.ShowMessage(kAppTitle, text, MessageIcon::Information);
}

session::RunDevices frmMain::DevicesOfRun() const {
  const QAction* entry = mMidiDev_[static_cast<std::size_t>(midiDeviceIndex_)];
  return {entry->text().toStdString(), session::RecordingSource(CurrentSettings())};
}

// ---- what a run reads --------------------------------------------------------------

SessionSettings frmMain::CurrentSettings() const {
  SessionSettings settings;
  settings.stored = CollectSettings();
  settings.midiDevice = midiDeviceIndex_;
  settings.options = options_;
  return settings;
}

}  // namespace ntr::ui
