// SPDX-License-Identifier: GPL-3.0-or-later
// The controls of frmMain and where they sit. Positions are twips from the
// top left of the form (below the menu bar); the piano keys and the level
// sliders keep the places users know, the rest is laid out around them.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>

#include "engine/events/note_names.h"
#include "ui/event_grid_model.h"
#include "ui/frm_main.h"
#include "ui/piano_keys.h"

namespace ntr::ui {

namespace {

constexpr int kFormWidth = 10800;
constexpr int kFormHeight = 6195;

// Rows of the lower half: the grid on the left, the parameter panels in two columns.
constexpr int kLowerTop = 2100;
constexpr int kPanelHeight = 540;
constexpr int kPanelPitch = 687;  // six panels from kLowerTop down to the grid's buttons
constexpr int kParamLeft = 4320;
constexpr int kParamWidth = 2880;
constexpr int kFormatLeft = 7320;
constexpr int kFormatWidth = 3360;

constexpr int kButtonHeight = 375;

QPushButton* MakeButton(QWidget* form, const char* name, const char* caption, const QRect& rect) {
  auto* button = new QPushButton(QString::fromLatin1(caption), form);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(rect);
  return button;
}

QLineEdit* MakeField(QGroupBox* panel, const char* name) {
  auto* field = new QLineEdit(panel);
  field->setObjectName(QString::fromLatin1(name));
  return field;
}

QComboBox* MakeList(QGroupBox* panel, const char* name) {
  auto* list = new QComboBox(panel);
  list->setObjectName(QString::fromLatin1(name));
  return list;
}

// A panel holds one field that fills its width under the caption.
void PlaceInPanel(QWidget* field, QGroupBox* panel, const TwipScale& scale) {
  const int margin = scale.ToPixels(90);
  const int top = scale.ToPixels(225);
  field->setGeometry(margin, top, panel->width() - 2 * margin, panel->height() - top - margin);
}

}  // namespace

QGroupBox* frmMain::MakePanel(QWidget* form, int number, const char* caption, int left, int top, int width,
                              int height) {
  auto* panel = new QGroupBox(QString::fromLatin1(caption), form);
  panel->setObjectName(QStringLiteral("SSPanel%1").arg(number));
  panel->setGeometry(scale_.Rect(left, top, width, height));
  ssPanels_[static_cast<std::size_t>(number - 1)] = panel;
  return panel;
}

void frmMain::BuildMenus() {
  mFile_ = menuBar()->addMenu(QStringLiteral("File"));
  mFile_->setObjectName(QStringLiteral("mFile"));
  mMidi_ = mFile_->addMenu(QStringLiteral("MIDI Devices"));
  mMidi_->setObjectName(QStringLiteral("mMidi"));
  mMidi_->menuAction()->setObjectName(QStringLiteral("mMidiAction"));
  for (int i = 0; i < kMidiMenuEntries; ++i) {
    QAction* entry = mMidi_->addAction(QString());
    entry->setObjectName(QStringLiteral("mMidiDev%1").arg(i));
    entry->setCheckable(true);
    entry->setVisible(false);
    entry->setEnabled(false);
    mMidiDev_[static_cast<std::size_t>(i)] = entry;
  }
  BuildAudioInputMenu();
  mSkipMade_ = mFile_->addAction(QStringLiteral("Skip takes already made"));
  mSkipMade_->setObjectName(QStringLiteral("mSkipMade"));
  mSkipMade_->setCheckable(true);
  BuildSynthMenuItems();
  BuildOptionsMenuItem();
  mFile_->addSeparator();
  mSave_ = mFile_->addAction(QStringLiteral("Save Settings"));
  mSave_->setObjectName(QStringLiteral("mSave"));
  mLoad_ = mFile_->addAction(QStringLiteral("Load Settings"));
  mLoad_->setObjectName(QStringLiteral("mLoad"));
  mFile_->addSeparator();
  mMakeInstrument_ = mFile_->addAction(QStringLiteral("Make Instrument Files..."));
  mMakeInstrument_->setObjectName(QStringLiteral("mMakeInstrument"));
  BuildWindowMenuItems();
  mFile_->addSeparator();
  mExit_ = mFile_->addAction(QStringLiteral("Exit"));
  mExit_->setObjectName(QStringLiteral("mExit"));
  mAbout_ = menuBar()->addAction(QStringLiteral("About"));
  mAbout_->setObjectName(QStringLiteral("mAbout"));
}

void frmMain::BuildForm() {
  auto* form = new QWidget(this);
  form->setObjectName(QStringLiteral("form"));
  const QRect size = scale_.Rect(0, 0, kFormWidth, kFormHeight);
  form->setFixedSize(size.size());
  setCentralWidget(form);

  BuildSelection(form);
  BuildRunPanel(form);
  BuildGrid(form);
  BuildParameters(form);
  BuildSliders(form);
}

void frmMain::BuildSelection(QWidget* form) {
  // The keybed behind the keys.
  auto* keybed = new QFrame(form);
  keybed->setObjectName(QStringLiteral("keybed"));
  keybed->setGeometry(scale_.Rect(240, 45, 2775, 1200));
  keybed->setAutoFillBackground(true);
  QPalette bedPalette = keybed->palette();
  bedPalette.setColor(QPalette::Window, QColor(36, 38, 44));
  keybed->setPalette(bedPalette);
  keybed->setFrameStyle(QFrame::Panel | QFrame::Raised);
  chNote_ = MakePianoKeys(form, scale_);

  pnlNotes_ = new QLabel(form);
  pnlNotes_->setObjectName(QStringLiteral("pnlNotes"));
  pnlNotes_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  pnlNotes_->setAlignment(Qt::AlignCenter);
  pnlNotes_->setGeometry(scale_.Rect(240, 1305, 2775, 285));
  pnlNotes_->setToolTip(QStringLiteral("Selected notes"));
  // All twelve names must fit the keyboard's width.
  QFont small = pnlNotes_->font();
  small.setPointSizeF(small.pointSizeF() - 1.0);
  pnlNotes_->setFont(small);

  cbSelAllNotes_ = MakeButton(form, "cbSelAllNotes", "Select All", scale_.Rect(240, 1650, 1320, kButtonHeight));
  cbUnselAllNotes_ = MakeButton(form, "cbUnselAllNotes", "Clear", scale_.Rect(1695, 1650, 1320, kButtonHeight));

  // The octave boxes on a dark panel: a selected octave reads white, the others grey.
  QGroupBox* octaves = MakePanel(form, 1, " Octaves", 3135, 45, 3825, 1545);
  octaves->setAutoFillBackground(true);
  QPalette dark = octaves->palette();
  dark.setColor(QPalette::Window, QColor(36, 38, 44));
  dark.setColor(QPalette::WindowText, QColor(220, 220, 220));
  octaves->setPalette(dark);
  for (int k = 0; k < kOctaveCount; ++k) {
    auto* box = new QCheckBox(QString::fromStdString(OctaveCaption(k)), octaves);
    box->setObjectName(QStringLiteral("chOctave%1").arg(k));
    const OctaveRange range = OctaveNotes(k);
    box->setProperty("tag", QStringLiteral("%1%2").arg(range.low, 3, 10, QLatin1Char('0')).arg(range.high, 3, 10, QLatin1Char('0')));
    const int column = k / 6;
    const int row = k % 6;
    box->setGeometry(scale_.Rect(165 + column * 1860, 255 + row * 210, 1770, 225));
    chOctave_[static_cast<std::size_t>(k)] = box;
  }
  cbSelAllOctaves_ = MakeButton(form, "cbSelAllOctaves", "Select All", scale_.Rect(3135, 1650, 1845, kButtonHeight));
  cbUnselAllOctaves_ = MakeButton(form, "cbUnselAllOctaves", "Clear", scale_.Rect(5115, 1650, 1845, kButtonHeight));
}

void frmMain::BuildRunPanel(QWidget* form) {
  auto* panel = new QFrame(form);
  pnlNeededTime_ = panel;
  panel->setObjectName(QStringLiteral("pnlNeededTime"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setGeometry(scale_.Rect(7080, 45, 3600, 1065));
  panel->setAutoFillBackground(true);
  QPalette display = panel->palette();
  display.setColor(QPalette::Window, QColor(20, 28, 24));
  display.setColor(QPalette::WindowText, QColor(140, 230, 150));
  panel->setPalette(display);
  const char* const titles[3] = {"Extimated", "Elapsed", "Now playing"};
  for (int i = 0; i < 3; ++i) {
    auto* title = new QLabel(QString::fromLatin1(titles[i]), panel);
    title->setObjectName(QStringLiteral("lbTitle%1").arg(i));
    title->setGeometry(scale_.Rect(120, 90 + i * 315, 1260, 270));
    auto* data = new QLabel(panel);
    data->setObjectName(QStringLiteral("lbData%1").arg(i));
    data->setGeometry(scale_.Rect(1440, 90 + i * 315, 2040, 270));
    data->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont strong = data->font();
    strong.setBold(true);
    data->setFont(strong);
    lbTitle_[static_cast<std::size_t>(i)] = title;
    lbData_[static_cast<std::size_t>(i)] = data;
  }
  // Left in the "Now playing" row, where the note name (right-aligned) leaves room.
  lbPeak_ = new QLabel(panel);
  lbPeak_->setObjectName(QStringLiteral("lbPeak"));
  lbPeak_->setGeometry(scale_.Rect(1440, 90 + 2 * 315, 1200, 270));
  lbPeak_->setToolTip(QStringLiteral("The last take's peak level"));

  chSmpl_ = new QCheckBox(QStringLiteral(" Include embedded note in WAV files"), form);
  chSmpl_->setObjectName(QStringLiteral("chSmpl"));
  chSmpl_->setGeometry(scale_.Rect(7080, 1185, 3600, 285));
  // Before any settings are stored the files carry their note.
  chSmpl_->setChecked(session::kEmbedBoxInitiallyChecked);

  cbStart_ = MakeButton(form, "cbStart", "START", scale_.Rect(7080, 1650, 1140, kButtonHeight));
  cbStop_ = MakeButton(form, "cbStop", "STOP", scale_.Rect(8310, 1650, 1140, kButtonHeight));
  cbResume_ = MakeButton(form, "cbResume", "RESUME", scale_.Rect(9540, 1650, 1140, kButtonHeight));
  QFont bold = cbStart_->font();
  bold.setBold(true);
  for (QPushButton* button : {cbStart_, cbStop_, cbResume_}) button->setFont(bold);
  cbStop_->setEnabled(false);
  cbResume_->setEnabled(false);
}

void frmMain::BuildGrid(QWidget* form) {
  gridModel_ = new EventGridModel(session_.Events(), this);
  dbgEvents_ = new QTableView(form);
  dbgEvents_->setObjectName(QStringLiteral("dbgEvents"));
  dbgEvents_->setModel(gridModel_);
  dbgEvents_->setGeometry(scale_.Rect(240, kLowerTop + 45, 3960, 3555));
  dbgEvents_->setSelectionBehavior(QAbstractItemView::SelectRows);
  dbgEvents_->setSelectionMode(QAbstractItemView::SingleSelection);
  dbgEvents_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  dbgEvents_->setAlternatingRowColors(true);
  dbgEvents_->verticalHeader()->setVisible(false);
  dbgEvents_->verticalHeader()->setDefaultSectionSize(scale_.ToPixels(255));
  dbgEvents_->horizontalHeader()->setHighlightSections(false);
  dbgEvents_->setToolTip(QStringLiteral("Double-click a row to edit it"));
  const int widths[kEventColumnCount] = {570, 450, 450, 780, 630, 690};
  for (int c = 0; c < kEventColumnCount; ++c) dbgEvents_->setColumnWidth(c, scale_.ToPixels(widths[c]));
  dbgEvents_->horizontalHeader()->setStretchLastSection(true);

  const int buttonsTop = kLowerTop + 5 * kPanelPitch + kPanelHeight - kButtonHeight;
  cbGenerateMIDI_ = MakeButton(form, "cbGenerateMIDI", "Generate Events", scale_.Rect(240, buttonsTop, 1920, kButtonHeight));
  cbAddEvents_ = MakeButton(form, "cbAddEvents", "Add Events", scale_.Rect(2280, buttonsTop, 1920, kButtonHeight));
}

void frmMain::BuildParameters(QWidget* form) {
  const auto row = [](int r) { return kLowerTop + r * kPanelPitch; };
  const int half = (kParamWidth - 120) / 2;

  QGroupBox* channel = MakePanel(form, 2, " MIDI Channel", kParamLeft, row(0), half, kPanelHeight);
  dbcMidiChannell_ = MakeList(channel, "dbcMidiChannell");
  for (int c = 1; c <= 16; ++c) dbcMidiChannell_->addItem(QString::number(c));
  PlaceInPanel(dbcMidiChannell_, channel, scale_);

  QGroupBox* velocity = MakePanel(form, 3, " Key Velocity", kParamLeft + half + 120, row(0), half, kPanelHeight);
  txtKeyVelocity_ = MakeField(velocity, "txtKeyVelocity");
  PlaceInPanel(txtKeyVelocity_, velocity, scale_);

  QGroupBox* duration = MakePanel(form, 5, " Notes Duration (milliseconds)", kParamLeft, row(1), kParamWidth, kPanelHeight);
  txtNotesDuration_ = MakeField(duration, "txtNotesDuration");
  PlaceInPanel(txtNotesDuration_, duration, scale_);

  QGroupBox* decay = MakePanel(form, 11, " Notes Decay (milliseconds)", kParamLeft, row(2), kParamWidth, kPanelHeight);
  txtNotesDecay_ = MakeField(decay, "txtNotesDecay");
  PlaceInPanel(txtNotesDecay_, decay, scale_);

  QGroupBox* patches = MakePanel(form, 4, " Patches", kParamLeft, row(3), kParamWidth, kPanelHeight);
  txtPatches_ = MakeField(patches, "txtPatches");
  txtPatches_->setToolTip(QStringLiteral("Programs to sample, e.g. 0-127 or 1,5,9; empty: no program change"));
  txtPatches_->installEventFilter(this);
  PlaceInPanel(txtPatches_, patches, scale_);

  QGroupBox* gear = MakePanel(form, 9, " Instrument Name", kParamLeft, row(4), kParamWidth, kPanelHeight);
  txtGear_ = MakeField(gear, "txtGear");
  PlaceInPanel(txtGear_, gear, scale_);

  QGroupBox* folder = MakePanel(form, 10, " Save To Folder", kParamLeft, row(5), kParamWidth, kPanelHeight);
  txtFolder_ = MakeField(folder, "txtFolder");
  PlaceInPanel(txtFolder_, folder, scale_);

  // The recording format, above the level sliders.
  const int formatHalf = (kFormatWidth - 120) / 2;
  QGroupBox* rate = MakePanel(form, 6, " Sampling Rate", kFormatLeft, row(0), formatHalf, kPanelHeight);
  dbcSampleRate_ = MakeList(rate, "dbcSampleRate");
  for (const ListRow& r : session::kSampleRateRows) dbcSampleRate_->addItem(QString::fromLatin1(r.shown), r.value);
  PlaceInPanel(dbcSampleRate_, rate, scale_);

  QGroupBox* bits = MakePanel(form, 7, " Sampling Bits", kFormatLeft + formatHalf + 120, row(0), formatHalf, kPanelHeight);
  dbcSampleBits_ = MakeList(bits, "dbcSampleBits");
  for (const ListRow& r : session::kSampleBitsRows) dbcSampleBits_->addItem(QString::fromLatin1(r.shown), r.value);
  PlaceInPanel(dbcSampleBits_, bits, scale_);

  QGroupBox* mode = MakePanel(form, 8, " Sampling Mode", kFormatLeft, row(1), formatHalf, kPanelHeight);
  dbcSampleMode_ = MakeList(mode, "dbcSampleMode");
  for (const ListRow& r : session::kSampleModeRows) dbcSampleMode_->addItem(QString::fromLatin1(r.shown), r.value);
  PlaceInPanel(dbcSampleMode_, mode, scale_);
}

void frmMain::BuildSliders(QWidget* form) {
  auto* levels = new QLabel(QStringLiteral("Recording levels"), form);
  levels->setObjectName(QStringLiteral("lbLevels"));
  levels->setGeometry(scale_.Rect(kSliders[0].captionLeft, 3900, kSliders[2].captionLeft + kSliders[2].captionWidth - kSliders[0].captionLeft, 255));
  levels->setAlignment(Qt::AlignCenter);
  auto* scaleLines = new SliderScale(scale_, form);
  scaleLines->lower();
  for (int i = 0; i < kSliderCount; ++i) {
    sliders_[static_cast<std::size_t>(i)] = new LevelSlider(i, parts_.mixer, knobDrag_, scale_, form);
  }
}

}  // namespace ntr::ui
