// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps the machine awake while a run is active: a run of a whole instrument
// lasts the night, and a machine that sleeps halfway loses the rest of it.
// Taken when a run leaves Idle, released when the run has finished, however
// it ended (a process that dies releases it with its file descriptors).
//
// systemd-logind's Inhibit ("sleep:idle", a file descriptor held for the
// run) on the system bus; where logind is not there, the freedesktop screen
// saver's Inhibit/UnInhibit on the session bus; without either, a one-line
// warning and the run goes on. Called on the run's thread (a RunObserver).

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <functional>
#include <optional>
#include <string>

#include "engine/run/run_state.h"

namespace ntr::session {

class SleepInhibitor : public RunObserver {
 public:
  using Warn = std::function<void(const std::string& line)>;

  // The buses to ask (tests give private ones); warn says, in one line, that
  // nothing keeps the machine awake.
  SleepInhibitor(QDBusConnection systemBus, QDBusConnection sessionBus, Warn warn);
  // The machine's own buses.
  explicit SleepInhibitor(Warn warn);
  ~SleepInhibitor() override { Release(); }
  SleepInhibitor(const SleepInhibitor&) = delete;
  SleepInhibitor& operator=(const SleepInhibitor&) = delete;

  bool Held() const { return logindLock_.isValid() || screenSaverCookie_.has_value(); }

  void RunStateChanged(RunState state) override;
  void RunFinished(const RunResult& result) override;

 private:
  void Take();
  void Release();

  QDBusConnection systemBus_;
  QDBusConnection sessionBus_;
  Warn warn_;
  bool taken_ = false;  // asked for this run (held or warned)
  QDBusUnixFileDescriptor logindLock_;
  std::optional<uint> screenSaverCookie_;
};

}  // namespace ntr::session
