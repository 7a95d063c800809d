// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_takes.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/ports.h"
#include "ui/take_table_model.h"
#include "ui/waveform_view.h"

namespace ntr::ui {

namespace {

constexpr int kSelectedPriority = 10;
constexpr int kMeasurePriority = 0;
constexpr int kNotRequested = -1;

QString FolderLine(const session::TakeFolder& folder) {
  QString line = QStringLiteral("%1 takes in %2").arg(folder.takes.size()).arg(QString::fromStdString(folder.folder));
  if (!folder.reportProblem.empty()) {
    line += QStringLiteral("; the report could not be read (%1)").arg(QString::fromStdString(folder.reportProblem));
  } else if (!folder.hasReport) {
    line += QStringLiteral("; no report: the takes are measured now");
  }
  return line;
}

}  // namespace

frmTakes::frmTakes(session::TakeFolder folder, PlayerPort* player, QWidget* parent, session::TakeRetaker* retaker)
    : QWidget(parent, Qt::Window), folder_(std::move(folder)), player_(player), retaker_(retaker) {
  setObjectName(QStringLiteral("frmTakes"));
  setWindowTitle(QStringLiteral("Takes - ") + QString::fromStdString(folder_.instrument));
  const std::size_t count = folder_.takes.size();
  overviews_.resize(count);
  problems_.resize(count);
  requested_.assign(count, kNotRequested);
  built_ = std::make_unique<std::atomic<bool>[]>(count);
  workers_.setMaxThreadCount(1);  // one core for the overviews, the other for the user

  model_ = new TakeTableModel(folder_.takes, this);
  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("dbgTakes"));
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->verticalHeader()->setVisible(false);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  // Sized from the widest heading, not from the rows: measuring thousands of rows would hold up the opening.
  table_->horizontalHeader()->setDefaultSectionSize(
      table_->fontMetrics().horizontalAdvance(QStringLiteral("Peak (dBFS)")) + 16);
  table_->horizontalHeader()->setStretchLastSection(true);

  waveform_ = new WaveformView(this);
  cbPlay_ = new QPushButton(QStringLiteral("Play"), this);
  cbPlay_->setObjectName(QStringLiteral("cbPlay"));
  cbRetake_ = new QPushButton(QStringLiteral("Retake"), this);
  cbRetake_->setObjectName(QStringLiteral("cbRetake"));
  lbTake_ = new QLabel(this);
  lbTake_->setObjectName(QStringLiteral("lbTake"));
  lbTake_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lbFolder_ = new QLabel(FolderLine(folder_), this);
  lbFolder_->setObjectName(QStringLiteral("lbFolder"));
  auto* legend = new QLabel(QStringLiteral("<span style='color:%1'>&#9474; note off</span>&nbsp;&nbsp;"
                                           "<span style='color:%2'>&#9478; trim</span>&nbsp;&nbsp;"
                                           "<span style='color:%3'>&#9608; loop</span>&nbsp;&nbsp;"
                                           "<span style='color:%4'>&#9608; clipping</span>")
                                .arg(WaveformView::NoteOffMark().name(), WaveformView::TrimMark().name(),
                                     WaveformView::LoopMark().name(), WaveformView::ClipMark().name()),
                            this);

  auto* lower = new QWidget(this);
  auto* lowerLayout = new QVBoxLayout(lower);
  lowerLayout->setContentsMargins(0, 0, 0, 0);
  lowerLayout->addWidget(waveform_, 1);
  auto* controls = new QHBoxLayout;
  controls->addWidget(cbPlay_);
  controls->addWidget(cbRetake_);
  controls->addWidget(lbTake_, 1);
  controls->addWidget(legend);
  lowerLayout->addLayout(controls);

  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->addWidget(table_);
  splitter->addWidget(lower);
  splitter->setStretchFactor(0, 3);
  splitter->setStretchFactor(1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lbFolder_);
  layout->addWidget(splitter, 1);
  resize(900, 640);

  playTimer_ = new QTimer(this);
  playTimer_->setInterval(100);
  connect(playTimer_, &QTimer::timeout, this, &frmTakes::UpdatePlayButton);
  connect(cbPlay_, &QPushButton::clicked, this, &frmTakes::TogglePlay);
  // Space plays whatever has the focus (the table would take it to select a row).
  table_->installEventFilter(this);
  cbPlay_->installEventFilter(this);
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { ShowRow(current.row()); });
  connect(cbRetake_, &QPushButton::clicked, this, &frmTakes::RetakeSelected);
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &frmTakes::UpdateRetakeButton);
  UpdateRetakeButton();

  const std::string why = player_ ? player_->Unavailable() : std::string(kNoPlayerTip);
  if (!why.empty()) {
    cbPlay_->setEnabled(false);
    cbPlay_->setToolTip(QString::fromStdString(why));
  } else {
    cbPlay_->setToolTip(QStringLiteral("Plays the selected take (Space)"));
  }

  if (count > 0) SelectRow(0);
  // The takes the report has no figures for, measured in turn after the selected one.
  for (std::size_t row = 0; row < count; ++row) {
    if (!folder_.takes[row].figures) Request(static_cast<int>(row), kMeasurePriority);
  }
}

frmTakes::~frmTakes() {
  closing_ = true;
  workers_.clear();
  workers_.waitForDone();
  if (player_) player_->Stop();
}

bool frmTakes::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
    TogglePlay();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void frmTakes::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space) {
    TogglePlay();
    return;
  }
  QWidget::keyPressEvent(event);
}

int frmTakes::CurrentRow() const { return table_->currentIndex().row(); }

void frmTakes::SelectRow(int row) {
  table_->selectRow(row);
  table_->setCurrentIndex(model_->index(row, 0));
}

void frmTakes::ShowRow(int row) {
  if (row < 0 || row >= model_->rowCount()) {
    waveform_->SetMessage(QString());
    lbTake_->clear();
    return;
  }
  const auto index = static_cast<std::size_t>(row);
  lbTake_->setText(QString::fromStdString(folder_.takes[index].file));
  if (overviews_[index]) {
    waveform_->SetOverview(overviews_[index], session::MarksOf(*overviews_[index], folder_.timing));
  } else if (!problems_[index].isEmpty()) {
    waveform_->SetMessage(problems_[index]);
  } else {
    waveform_->SetMessage(QStringLiteral("Reading the take..."));
  }
  // The latest selection first, then the take below it (the next one a user steps to).
  ++selections_;
  Request(row, kSelectedPriority + 2 * selections_);
  if (row + 1 < model_->rowCount()) Request(row + 1, kSelectedPriority + 2 * selections_ - 1);
}

void frmTakes::Request(int row, int priority) {
  const auto index = static_cast<std::size_t>(row);
  if (overviews_[index] || !problems_[index].isEmpty()) return;
  // Asked again with a higher priority (selected now): a second job; whichever comes first is kept.
  if (requested_[index] >= priority) return;
  requested_[index] = priority;
  const std::string path = folder_.takes[index].path;
  workers_.start(
      [this, row, path] {
        if (closing_ || built_[static_cast<std::size_t>(row)]) return;
        std::shared_ptr<const session::TakeOverview> overview;
        QString problem;
        try {
          overview = std::make_shared<const session::TakeOverview>(session::BuildTakeOverview(path));
          built_[static_cast<std::size_t>(row)] = true;
        } catch (const std::exception& e) {
          problem = QString::fromStdString(e.what());
        }
        // Delivered on the window's thread; dropped if the window is gone by then.
        QMetaObject::invokeMethod(
            this, [this, row, overview, problem] { OverviewBuilt(row, overview, problem); }, Qt::QueuedConnection);
      },
      priority);
}

void frmTakes::OverviewBuilt(int row, std::shared_ptr<const session::TakeOverview> overview, const QString& problem) {
  const auto index = static_cast<std::size_t>(row);
  if (overviews_[index]) return;  // the second of two jobs
  if (overview) {
    overviews_[index] = overview;
    model_->SetMeasured(row, overview->levels);
  } else {
    problems_[index] = QStringLiteral("The take cannot be read: ") + problem;
  }
  if (row == CurrentRow()) ShowRow(row);
}

void frmTakes::TogglePlay() {
  if (!player_ || !cbPlay_->isEnabled()) return;
  if (player_->Playing()) {
    player_->Stop();
    UpdatePlayButton();
    return;
  }
  const int row = CurrentRow();
  if (row < 0) return;
  try {
    session::TakeAudio audio = session::ReadTakeAudio(folder_.takes[static_cast<std::size_t>(row)].path);
    player_->Play(std::move(audio.samples), audio.channels, audio.sampleRate);
  } catch (const std::exception& e) {
    lbTake_->setText(QString::fromStdString(e.what()));
    return;
  }
  UpdatePlayButton();
}

void frmTakes::UpdatePlayButton() {
  const bool playing = player_ && player_->Playing();
  cbPlay_->setText(playing ? QStringLiteral("Stop") : QStringLiteral("Play"));
  if (playing) {
    playTimer_->start();
  } else {
    playTimer_->stop();
  }
}

void frmTakes::closeEvent(QCloseEvent* event) {
  // The retake runs under this window's call: it closes once the retake has returned.
  if (retaking_) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

void frmTakes::UpdateRetakeButton() {
  const bool selected = table_->selectionModel()->hasSelection();
  const bool free = retaker_ && retaker_->Available();
  cbRetake_->setEnabled(selected && free);
  cbRetake_->setToolTip(!retaker_ ? QString::fromLatin1(kNoRetakeTip)
                        : !free   ? QString::fromLatin1(kRunActiveTip)
                                  : QStringLiteral("Records the selected takes again with the main window's settings"));
}

void frmTakes::RetakeSelected() {
  if (!retaker_ || !cbRetake_->isEnabled()) return;
  std::vector<int> rows;
  std::vector<session::TakeEntry> takes;
  for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
    rows.push_back(index.row());
    takes.push_back(model_->Take(index.row()));
  }
  if (player_) player_->Stop();
  retaking_ = true;
  cbRetake_->setEnabled(false);
  const session::RetakeResult result = retaker_->Retake(folder_.folder, takes);
  retaking_ = false;
  ReloadTakes(rows);
  lbFolder_->setText(FolderLine(folder_) + QStringLiteral(". ") + QString::fromStdString(result.message));
  UpdateRetakeButton();
}

// The retaken rows as the folder lists them now, their waveforms read again.
void frmTakes::ReloadTakes(const std::vector<int>& rows) {
  session::TakeFolder now;
  try {
    now = session::ListTakeFolder(folder_.folder);
  } catch (const std::exception&) {
    return;  // the rows stay as they were
  }
  for (const int row : rows) {
    const auto index = static_cast<std::size_t>(row);
    const auto found = std::find_if(now.takes.begin(), now.takes.end(), [&](const session::TakeEntry& take) {
      return take.file == folder_.takes[index].file;
    });
    if (found == now.takes.end()) continue;
    folder_.takes[index] = *found;
    model_->SetTake(row, *found);
    overviews_[index].reset();
    problems_[index].clear();
    requested_[index] = kNotRequested;
    built_[index] = false;
  }
  if (CurrentRow() >= 0) ShowRow(CurrentRow());
}

}  // namespace ntr::ui
