// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/stop_signals.h"

#include <atomic>
#include <csignal>

#ifndef _WIN32
#include <signal.h>
#endif

namespace ntr::batch {

namespace {

// Written by the signal handler (any thread), read by the run's thread.
std::atomic<int> firstSignal{0};
std::atomic<int> signalCount{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free atomic");

extern "C" void OnStopSignal(int signal) { StopSignals::Record(signal); }

#ifdef _WIN32
using Handler = void (*)(int);
Handler previousInt = SIG_DFL;
Handler previousTerm = SIG_DFL;
#else
// SIGHUP too: a closed terminal stops the run cleanly instead of killing it mid-take.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previous[3];
struct sigaction previousPipe;
#endif

}  // namespace

void StopSignals::Record(int signal) {
  int none = 0;
  firstSignal.compare_exchange_strong(none, signal);
  signalCount.fetch_add(1);
}

StopSignals::StopSignals() {
  firstSignal.store(0);
  signalCount.store(0);
#ifdef _WIN32
  previousInt = std::signal(SIGINT, OnStopSignal);
  previousTerm = std::signal(SIGTERM, OnStopSignal);
#else
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 3; ++i) {
    sigaction(kStopSignals[i], nullptr, &previous[i]);
    // A signal the caller ignores stays ignored (nohup, a background job of a script).
    if (previous[i].sa_handler != SIG_IGN) sigaction(kStopSignals[i], &action, nullptr);
  }
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, &previousPipe);
#endif
}

StopSignals::~StopSignals() {
#ifdef _WIN32
  std::signal(SIGINT, previousInt);
  std::signal(SIGTERM, previousTerm);
#else
  for (int i = 0; i < 3; ++i) sigaction(kStopSignals[i], &previous[i], nullptr);
  sigaction(SIGPIPE, &previousPipe, nullptr);
#endif
}

int StopSignals::First() const { return firstSignal.load(); }
int StopSignals::Count() const { return signalCount.load(); }

}  // namespace ntr::batch
