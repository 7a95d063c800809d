// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/synth/fluid_log.h"

#include <fluidsynth.h>

#include <mutex>

namespace ntr {

namespace {

std::mutex& LogMutex() {
  static std::mutex mutex;
  return mutex;
}

std::string& KeptErrors() {
  static std::string errors;
  return errors;
}

void KeepError(int /*level*/, const char* message, void* /*data*/) {
  const std::lock_guard lock(LogMutex());
  std::string& errors = KeptErrors();
  if (errors.size() > 4000) return;  // the first errors tell the story
  if (!errors.empty()) errors += "; ";
  errors += message != nullptr ? message : "";
}

void Drop(int /*level*/, const char* /*message*/, void* /*data*/) {}

}  // namespace

void RouteFluidSynthLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    fluid_set_log_function(FLUID_PANIC, KeepError, nullptr);
    fluid_set_log_function(FLUID_ERR, KeepError, nullptr);
    fluid_set_log_function(FLUID_WARN, Drop, nullptr);
    fluid_set_log_function(FLUID_INFO, Drop, nullptr);
    fluid_set_log_function(FLUID_DBG, Drop, nullptr);
  });
}

void ClearFluidSynthErrors() {
  const std::lock_guard lock(LogMutex());
  KeptErrors().clear();
}

std::string FluidSynthErrors() {
  const std::lock_guard lock(LogMutex());
  return KeptErrors();
}

}  // namespace ntr
