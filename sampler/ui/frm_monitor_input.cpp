// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_monitor_input.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace ntr::ui {

namespace {

constexpr int kReadMs = 100;

QString Db(double dbfs) {
  return dbfs <= kSilenceFloorDbfs ? QStringLiteral("-inf dBFS") : QStringLiteral("%1 dBFS").arg(dbfs, 0, 'f', 1);
}

}  // namespace

LevelBar::LevelBar(QWidget* parent) : QWidget(parent) { setMinimumHeight(14); }

void LevelBar::SetLevel(double dbfs) {
  dbfs_ = dbfs;
  update();
}

void LevelBar::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(24, 26, 31));
  const double fraction = std::clamp((dbfs_ - kMeterFloorDb) / -kMeterFloorDb, 0.0, 1.0);
  const int filled = static_cast<int>(fraction * width());
  // Green up to -12 dBFS, yellow to -3, red above: where takes should peak.
  const auto xOf = [this](double db) { return static_cast<int>((db - kMeterFloorDb) / -kMeterFloorDb * width()); };
  painter.fillRect(0, 0, std::min(filled, xOf(-12.0)), height(), QColor(70, 200, 90));
  if (filled > xOf(-12.0))
    painter.fillRect(xOf(-12.0), 0, std::min(filled, xOf(-3.0)) - xOf(-12.0), height(), QColor(230, 200, 60));
  if (filled > xOf(-3.0)) painter.fillRect(xOf(-3.0), 0, filled - xOf(-3.0), height(), QColor(230, 60, 60));
  painter.setPen(QColor(90, 90, 100));
  for (double db = kMeterFloorDb; db <= 0.0; db += 6.0) painter.drawLine(xOf(db), height() - 4, xOf(db), height() - 1);
}

frmMonitorInput::frmMonitorInput(InputMeterPort& port, const std::string& startInput, QWidget* parent)
    : QWidget(parent, Qt::Window), port_(port) {
  setObjectName(QStringLiteral("frmMonitorInput"));
  setWindowTitle(QStringLiteral("Monitor Input"));
  cbInput_ = new QComboBox(this);
  cbInput_->setObjectName(QStringLiteral("cbInput"));
  peakBar_ = new LevelBar(this);
  peakBar_->setObjectName(QStringLiteral("peakBar"));
  rmsBar_ = new LevelBar(this);
  rmsBar_->setObjectName(QStringLiteral("rmsBar"));
  lbPeak_ = new QLabel(this);
  lbPeak_->setObjectName(QStringLiteral("lbPeak"));
  lbRms_ = new QLabel(this);
  lbRms_->setObjectName(QStringLiteral("lbRms"));
  lbNoise_ = new QLabel(this);
  lbNoise_->setObjectName(QStringLiteral("lbNoise"));
  lbSource_ = new QLabel(this);
  lbSource_->setObjectName(QStringLiteral("lbSource"));
  lbSource_->setWordWrap(true);
  lbTake_ = new QLabel(this);
  lbTake_->setObjectName(QStringLiteral("lbTake"));
  cbClip_ = new QPushButton(QStringLiteral("Clip"), this);
  cbClip_->setObjectName(QStringLiteral("cbClip"));
  cbClip_->setToolTip(QStringLiteral("Lights when the input reaches full scale, and stays lit until clicked"));

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("Input"), this), 0, 0);
  grid->addWidget(cbInput_, 0, 1, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Peak"), this), 1, 0);
  grid->addWidget(peakBar_, 1, 1);
  grid->addWidget(lbPeak_, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("RMS"), this), 2, 0);
  grid->addWidget(rmsBar_, 2, 1);
  grid->addWidget(lbRms_, 2, 2);
  grid->addWidget(new QLabel(QStringLiteral("Noise floor"), this), 3, 0);
  grid->addWidget(lbNoise_, 3, 1);
  grid->addWidget(cbClip_, 3, 2);
  grid->setColumnStretch(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(lbTake_);
  layout->addWidget(lbSource_);

  timer_ = new QTimer(this);
  timer_->setInterval(kReadMs);
  connect(timer_, &QTimer::timeout, this, &frmMonitorInput::Poll);
  connect(cbClip_, &QPushButton::clicked, this, [this] {
    meter_.ResetClip();
    ShowLevels();
  });
  FillInputs(startInput);
  connect(cbInput_, &QComboBox::activated, this, &frmMonitorInput::OpenInput);
  OpenInput(cbInput_->currentIndex());
  timer_->start();
}

frmMonitorInput::~frmMonitorInput() { port_.Close(); }

void frmMonitorInput::FillInputs(const std::string& selected) {
  inputs_ = {kDefaultAudioInput};
  for (AudioInputEntry& input : port_.AudioInputs()) inputs_.push_back(std::move(input));
  int current = 0;
  for (std::size_t i = 0; i < inputs_.size(); ++i) {
    cbInput_->addItem(QString::fromStdString(inputs_[i].label));
    if (inputs_[i].setting == selected) current = static_cast<int>(i);
  }
  cbInput_->setCurrentIndex(current);
}

void frmMonitorInput::OpenInput(int entry) {
  if (entry < 0 || static_cast<std::size_t>(entry) >= inputs_.size()) return;
  meter_.Reset();
  try {
    port_.Open(inputs_[static_cast<std::size_t>(entry)].setting);
    lbSource_->setText(QString::fromStdString(port_.Description()));
  } catch (const std::exception& e) {
    lbSource_->setText(QString::fromStdString(e.what()));
  }
  ShowLevels();
}

void frmMonitorInput::Poll() {
  meter_.Add(port_.Read());
  ShowLevels();
}

void frmMonitorInput::ShowTake(const std::string& take, const TakeLevels& levels) {
  if (levels.clipped) meter_.HoldClip();
  lbTake_->setText(QStringLiteral("Last take: %1, peak %2, RMS %3%4")
                       .arg(QString::fromStdString(take), Db(levels.peakDbfs), Db(levels.rmsDbfs),
                            levels.clipped ? QStringLiteral(", clipped") : QString()));
  ShowLevels();
}

void frmMonitorInput::ShowLevels() {
  peakBar_->SetLevel(meter_.PeakDbfs());
  rmsBar_->SetLevel(meter_.RmsDbfs());
  lbPeak_->setText(Db(meter_.PeakDbfs()));
  lbRms_->setText(Db(meter_.RmsDbfs()));
  lbNoise_->setText(meter_.NoiseFloorDbfs() ? Db(*meter_.NoiseFloorDbfs()) : QStringLiteral("-"));
  cbClip_->setStyleSheet(meter_.ClipHeld() ? QStringLiteral("background: rgb(230, 60, 60); color: white;") : QString());
}

}  // namespace ntr::ui
