// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The run's clock in the window: monotonic time, and waits that sleep in the
// Qt event loop (woken by a precise timer at the deadline), so clicks on the
// run buttons are handled while a note sounds and no core is kept busy.
// Used on the user-interface thread only, with a QApplication running.

#include <QElapsedTimer>

#include "engine/ports.h"

namespace ntr::ui {

class QtClock : public ClockPort {
 public:
  QtClock();

  double Now() override;               // seconds since the clock was made
  void Yield() override;               // handles the pending window events
  void WaitUntil(double deadline) override;

 private:
  QElapsedTimer timer_;
};

}  // namespace ntr::ui
