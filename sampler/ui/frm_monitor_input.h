// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// frmMonitorInput: "Monitor Input", the level of an audio input before a run,
// so that the recording levels are set by eye. The input is chosen in the
// window (as "Audio Input" lists them); peak and RMS meters, a clip indicator
// that holds until it is clicked, and the noise floor. During a run it also
// follows the takes: the levels of each one saved. The window reads the
// InputMeterPort it is given ten times a second; what it shows is worked out
// by session::InputLevelMeter. User-interface thread only.

#include <QWidget>

#include "engine/input_meter_port.h"
#include "session/input_level_meter.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTimer;

namespace ntr::ui {

// A horizontal bar from kMeterFloorDb to 0 dBFS.
inline constexpr double kMeterFloorDb = -60.0;

class LevelBar : public QWidget {
  Q_OBJECT
 public:
  explicit LevelBar(QWidget* parent = nullptr);
  void SetLevel(double dbfs);
  double Level() const { return dbfs_; }
  QSize sizeHint() const override { return {320, 18}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  double dbfs_ = kSilenceFloorDbfs;
};

class frmMonitorInput : public QWidget {
  Q_OBJECT
 public:
  // startInput: the setting of the input watched first ("" : the default).
  frmMonitorInput(InputMeterPort& port, const std::string& startInput, QWidget* parent = nullptr);
  ~frmMonitorInput() override;

  const session::InputLevelMeter& Meter() const { return meter_; }
  void Poll();  // one read of the input (the timer's)
  // During a run: the levels of the take just saved; a clipped one lights the clip indicator.
  void ShowTake(const std::string& take, const TakeLevels& levels);

 private:
  void FillInputs(const std::string& selected);
  void OpenInput(int entry);
  void ShowLevels();

  InputMeterPort& port_;
  session::InputLevelMeter meter_;
  std::vector<AudioInputEntry> inputs_;
  QComboBox* cbInput_ = nullptr;
  LevelBar* peakBar_ = nullptr;
  LevelBar* rmsBar_ = nullptr;
  QLabel* lbPeak_ = nullptr;
  QLabel* lbRms_ = nullptr;
  QLabel* lbNoise_ = nullptr;
  QLabel* lbSource_ = nullptr;
  QLabel* lbTake_ = nullptr;
  QPushButton* cbClip_ = nullptr;
  QTimer* timer_ = nullptr;
};

}  // namespace ntr::ui
