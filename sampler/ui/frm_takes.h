// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// frmTakes: the take browser, "Takes - <instrument>". A table of the folder's
// takes with their figures, the selected take's waveform with its marks, and
// Play (Space starts and stops it). Overviews are built on a worker thread
// of the window's own, the selected take first; a take the report does not
// know is measured the same way, every one in turn, and its row filled in.
//
// The window samples nothing and owns no device: it lists through the session
// layer and plays through the PlayerPort it is given (none: Play is disabled,
// its tool tip says why); Retake hands the selected takes to the retaker it
// is given (none, or while a run is active: Retake is disabled).
// User-interface thread, but for the workers' jobs.

#include <QThreadPool>
#include <QWidget>
#include <atomic>
#include <memory>
#include <vector>

#include "engine/player_port.h"
#include "session/take_list.h"
#include "session/take_overview.h"
#include "session/take_retake.h"

class QLabel;
class QPushButton;
class QTableView;
class QTimer;

namespace ntr::ui {

class TakeTableModel;
class WaveformView;

inline constexpr const char* kNoPlayerTip = "No audio output: nothing can be played.";
inline constexpr const char* kNoRetakeTip = "Takes are retaken from the main window's File > \"Takes...\".";
inline constexpr const char* kRunActiveTip = "A run is active: takes are retaken when it has ended.";

class frmTakes : public QWidget {
  Q_OBJECT
 public:
  frmTakes(session::TakeFolder folder, PlayerPort* player, QWidget* parent = nullptr,
           session::TakeRetaker* retaker = nullptr);
  ~frmTakes() override;

  int CurrentRow() const;
  void SelectRow(int row);
  void TogglePlay();
  // Records the selected takes again and shows them as they are now.
  void RetakeSelected();
  // Retake is enabled while takes are selected and the retaker is free (the main window calls it as its run starts and
  // ends).
  void UpdateRetakeButton();

  TakeTableModel& Model() { return *model_; }
  WaveformView& Waveform() { return *waveform_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowRow(int row);
  // Builds the overview of `row` on the worker unless it is there or on its way.
  void Request(int row, int priority);
  void OverviewBuilt(int row, std::shared_ptr<const session::TakeOverview> overview, const QString& problem);
  void UpdatePlayButton();
  void ReloadTakes(const std::vector<int>& rows);

  session::TakeFolder folder_;
  PlayerPort* player_;
  session::TakeRetaker* retaker_;
  bool retaking_ = false;  // the retake is on the stack: the window stays open
  TakeTableModel* model_ = nullptr;
  QTableView* table_ = nullptr;
  WaveformView* waveform_ = nullptr;
  QPushButton* cbPlay_ = nullptr;
  QPushButton* cbRetake_ = nullptr;
  QLabel* lbTake_ = nullptr;
  QLabel* lbFolder_ = nullptr;
  QTimer* playTimer_ = nullptr;

  std::vector<std::shared_ptr<const session::TakeOverview>> overviews_;
  std::vector<QString> problems_;
  std::vector<int> requested_;                  // the highest priority a job was queued with
  int selections_ = 0;                          // rows selected so far: a later selection's jobs go first
  std::unique_ptr<std::atomic<bool>[]> built_;  // set by the worker, so a second job for a row ends at once
  std::atomic<bool> closing_{false};
  QThreadPool workers_;  // last: its jobs are waited for before the rest goes
};

}  // namespace ntr::ui
