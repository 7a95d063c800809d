// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// frmMain: the sampler's window. It holds the note and octave selection, the
// note parameters, the recording format, the event grid, the run buttons with
// the progress panel, the three level sliders and the menus.
//
// The window owns no device: it gets the MIDI output and device list, the
// recorder, the mixer, the clock, the dialogs and the settings store from its
// creator (main() or a test). It owns a sampling session (event list and run
// controller) that reads the window's fields, and shows the controller's
// state: the run buttons, the progress panel and the settings group follow
// RunControls; nothing else changes them. The menu items that open a dialog
// are greyed while a note may sound (a modal dialog would hold it).
//
// Everything runs on the user-interface thread. A run is one long call made
// from the START click; clicks on SUSPEND, STOP and RESUME arrive
// re-entrantly while it waits (the clock yields to the event loop).

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>
#include <optional>

#include "engine/events/event_list.h"
#include "engine/events/midi_device_menu.h"
#include "engine/input_meter_port.h"
#include "engine/instrument_player_port.h"
#include "engine/player_port.h"
#include "engine/run/run_controller.h"
#include "session/run_report.h"
#include "session/sampling_session.h"
#include "session/session_settings.h"
#include "session/take_retake.h"
#include "session/settings_store.h"
#include "ui/level_slider.h"
#include "ui/twips.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;

namespace ntr::ui {

using session::FirstStartSettings;
using session::ListRow;
using session::SessionSettings;
using session::SettingsStore;
using session::StoredSettings;

class EventGridModel;
class PianoKey;
class UserDialogs;

inline constexpr const char* kWindowTitle = "NTR - Notarra - 1.0 (Jan 2004)";
inline constexpr const char* kMixerFailedMessage = "Couldn't open the mixer.";
inline constexpr int kSettingsPanels = 11;

// What the window works with; every reference must outlive it.
struct MainWindowParts {
  MidiOutputPort& midi;
  MidiDevicesPort& midiDevices;
  RecorderPort& recorder;
  MixerPort& mixer;
  ClockPort& clock;
  UserDialogs& dialogs;
  SettingsStore& settings;
};

class frmMain : public QMainWindow, private RunObserver {
  Q_OBJECT
 public:
  explicit frmMain(const MainWindowParts& parts, QWidget* parent = nullptr);
  ~frmMain() override;

  // The load sequence: title, device menu with the stored device, mixer,
  // then the stored settings (or the first-start values), the levels and a
  // generated event list. Called once, before the window is shown.
  void Load();

  // Everything the window holds as settings: its fields, the device entry
  // and the options. A run reads it at START and the format at every event.
  SessionSettings CurrentSettings() const;

  RunController& Controller() { return session_.Controller(); }
  const EventList& Events() const { return session_.Events(); }

  // The settings as the controls hold them, and the reverse (the knobs are
  // placed but no level is sent).
  StoredSettings CollectSettings() const;
  void ApplySettings(const StoredSettings& settings);

  // The handlers, callable as the menus and buttons call them.
  void GenerateEvents(bool clearFirst);
  void InitialiseSettings();
  void LoadSettings();  // the store's values into the controls, levels applied
  void SaveSettings();  // the controls' values into the store
  void SelectMidiDevice(int entry);
  // frm_main_synth.cpp: the built-in synthesizer's options, stored at once.
  void SetRenderFast(bool fast);
  void ChooseSoundFont();
  // frm_main_audio_input.cpp: the input an external instrument is recorded
  // from ("" : the default), stored at once.
  void ChooseAudioInput(const std::string& setting);
  // frm_main_instrument_options.cpp: the "Instrument Options" dialog; what it changed is
  // stored at once, and a changed layer or round count regenerates the list.
  void OpenInstrumentOptions();
  // frm_main_instrument_files.cpp: "Make Instrument Files..." for a folder the user picks.
  void MakeInstrumentFiles();
  // frm_main_windows.cpp: "Takes..." opens the take browser on a folder the
  // user picks; it plays through the player given here (none: it cannot
  // play). "Monitor Input..." watches an input through the meter given here.
  void SetPlayer(PlayerPort* player) { player_ = player; }
  void SetInputMeter(InputMeterPort* meter) { inputMeter_ = meter; }
  // "Play Instrument..." plays a folder's SoundFont through the player given here.
  void SetInstrumentPlayer(InstrumentPlayerPort* player) { instrumentPlayer_ = player; }
  void OpenPlayInstrument();
  void OpenTakes();
  void OpenTakesOf(const std::string& folder);
  void OpenMonitorInput();
  void ShowTakeInMonitor(const SavedTake& take);  // a run's take, while "Monitor Input" is open
  void OpenEditor();  // the row editor on the grid's current row
  void ShowAbout();
  void SetSettingsEnabled(bool enabled);
  int CurrentRow() const;
  void SetCurrentRow(int row);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // RunObserver
  void RunStateChanged(RunState state) override;
  void RunProgressChanged(const RunProgress& progress) override;
  void RunRowChanged(std::size_t row) override;
  void TakeSaved(const SavedTake& take) override;
  void RunFinished(const RunResult& result) override;
  session::RunDevices DevicesOfRun() const;

  // frm_main_layout.cpp: the controls, in twips.
  void BuildMenus();
  void BuildForm();
  void BuildSelection(QWidget* form);
  void BuildParameters(QWidget* form);
  void BuildGrid(QWidget* form);
  void BuildRunPanel(QWidget* form);
  void BuildSliders(QWidget* form);
  QGroupBox* MakePanel(QWidget* form, int number, const char* caption, int left, int top, int width, int height);
  void Connect();

  void BuildMidiMenu();
  void BuildSynthMenuItems();
  void BuildAudioInputMenu();
  void FillAudioInputMenu();
  void BuildOptionsMenuItem();
  void BuildWindowMenuItems();
  void UpdateSynthMenuItems();
  void UpdateNotesCaption();
  void UpdateOctaveColour(int octave);
  void ApplyControls(const RunControls& controls);
  void ApplyKnobLevels();
  void OnStartClicked();
  void OnLoadCommand();
  void OnSaveCommand();
  void OnSkipMadeToggled(bool checked);
  void OnExit();
  bool ModalAllowed();
  void EnableDialogItems(RunState state);

  MainWindowParts parts_;
  RunOptions options_;  // the settings of groups of their own, as loaded or chosen
  session::SamplingSession session_;
  RunController& controller_;
  // The take browsers' retakes, on this window's devices and settings; never while its run is active.
  session::TakeRetaker retaker_;
  TwipScale scale_;
  KnobDrag knobDrag_;
  // A device picked during a run is handed to the devices when the run has
  // returned: the run's recorder follows the device it opened.
  std::optional<int> pendingMidiDevice_;

  // Controls, named as the users' guide names them.
  std::array<PianoKey*, 12> chNote_{};
  std::array<QCheckBox*, 11> chOctave_{};
  QLabel* pnlNotes_ = nullptr;
  QPushButton* cbSelAllNotes_ = nullptr;
  QPushButton* cbUnselAllNotes_ = nullptr;
  QPushButton* cbSelAllOctaves_ = nullptr;
  QPushButton* cbUnselAllOctaves_ = nullptr;
  QComboBox* dbcMidiChannell_ = nullptr;
  QLineEdit* txtKeyVelocity_ = nullptr;
  QLineEdit* txtPatches_ = nullptr;
  QLineEdit* txtNotesDuration_ = nullptr;
  QLineEdit* txtNotesDecay_ = nullptr;
  QTableView* dbgEvents_ = nullptr;
  EventGridModel* gridModel_ = nullptr;
  QPushButton* cbGenerateMIDI_ = nullptr;
  QPushButton* cbAddEvents_ = nullptr;
  QWidget* pnlNeededTime_ = nullptr;
  std::array<QLabel*, 3> lbTitle_{};
  std::array<QLabel*, 3> lbData_{};
  QLabel* lbPeak_ = nullptr;  // the last take's peak, beside "Now playing"
  QComboBox* dbcSampleRate_ = nullptr;
  QComboBox* dbcSampleBits_ = nullptr;
  QComboBox* dbcSampleMode_ = nullptr;
  QLineEdit* txtGear_ = nullptr;
  QLineEdit* txtFolder_ = nullptr;
  QCheckBox* chSmpl_ = nullptr;
  QPushButton* cbStart_ = nullptr;
  QPushButton* cbStop_ = nullptr;
  QPushButton* cbResume_ = nullptr;
  std::array<LevelSlider*, kSliderCount> sliders_{};
  std::array<QGroupBox*, kSettingsPanels> ssPanels_{};

  QMenu* mFile_ = nullptr;
  QMenu* mMidi_ = nullptr;
  QMenu* mAudioInput_ = nullptr;  // filled from the recorder each time it opens
  std::array<QAction*, kMidiMenuEntries> mMidiDev_{};
  QAction* mRenderFast_ = nullptr;
  QAction* mSoundFont_ = nullptr;
  QAction* mSkipMade_ = nullptr;  // RunOptions::skipTakesAlreadyMade, stored at once
  QAction* mInstrumentOptions_ = nullptr;
  QAction* mSave_ = nullptr;
  QAction* mLoad_ = nullptr;
  QAction* mMakeInstrument_ = nullptr;
  QAction* mTakes_ = nullptr;
  QAction* mMonitorInput_ = nullptr;
  PlayerPort* player_ = nullptr;          // the window's creator owns it
  InputMeterPort* inputMeter_ = nullptr;  // the window's creator owns it
  QPointer<QWidget> monitor_;             // the one "Monitor Input" window, while it is open
  QAction* mPlayInstrument_ = nullptr;
  InstrumentPlayerPort* instrumentPlayer_ = nullptr;  // the window's creator owns it
  QPointer<QWidget> playWindow_;                      // the one "Play Instrument" window, while it is open
  QAction* mExit_ = nullptr;
  QAction* mAbout_ = nullptr;
  int midiDeviceIndex_ = 0;
};

}  // namespace ntr::ui
