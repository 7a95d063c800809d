// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ctrl-C (SIGINT), SIGTERM and SIGHUP as the STOP button of an unattended run. The
// handler only records the signal in a lock-free atomic; the run's clock looks
// at it on every yield (many times a second while a note sounds) and asks the
// run controller to stop, so the event in progress is completed and saved.

namespace ntr::batch {

class StopSignals {
 public:
  // Installs the handlers for SIGINT, SIGTERM and SIGHUP, except where the
  // caller ignores one (nohup), and ignores SIGPIPE, so a closed pipe on stdout
  // never ends a run; the destructor puts back what was there.
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // The first stop signal received (0 while none has come).
  int First() const;
  // How many stop signals have come.
  int Count() const;

  // For tests: records a signal as the handler does.
  static void Record(int signal);
};

}  // namespace ntr::batch
