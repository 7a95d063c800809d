// SPDX-License-Identifier: GPL-3.0-or-later
#include "timing/probes.h"

#include <chrono>
#include <ctime>

namespace ntr::bench {

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

EventStamps& Probe::Current() {
  if (events.empty()) events.emplace_back();
  return events.back();
}

void TimedClock::WaitUntil(double deadline) {
  const bool between = probe_.BetweenTakes();
  const double start = WallSeconds();
  inner_.WaitUntil(deadline);
  if (between) probe_.pendingPause += WallSeconds() - start;
}

void TimedRecorder::NewRecording() {
  probe_.events.emplace_back();
  probe_.Current().pauseBefore = probe_.pendingPause;
  probe_.pendingPause = 0;
  probe_.Current().newCalled = WallSeconds();
  inner_.NewRecording();
  probe_.Current().newReturned = WallSeconds();
}

void TimedRecorder::Record() {
  probe_.Current().recordCalled = WallSeconds();
  inner_.Record();
  probe_.Current().recordReturned = WallSeconds();
}

void TimedRecorder::Stop() {
  EventStamps& e = probe_.Current();
  e.cpuDecayEnd = ProcessCpuSeconds();
  e.decayEnd = e.stopCalled = WallSeconds();
  try {
    inner_.Stop();
  } catch (...) {  // lost audio: the take is made again, and the stop's time still counts
    e.stopReturned = WallSeconds();
    e.stopFailed = true;
    throw;
  }
  e.stopReturned = WallSeconds();
}

void TimedRecorder::Save(const std::string& path) {
  probe_.Current().saveCalled = WallSeconds();
  inner_.Save(path);
  probe_.Current().saveReturned = WallSeconds();
}

void TimedRecorder::Close() {
  const bool first = probe_.Current().closeCalled == 0;
  if (first) probe_.Current().closeCalled = WallSeconds();
  inner_.Close();
  if (first) probe_.Current().closeReturned = WallSeconds();
}

void TimedMidi::SendNoteOn(int note) {
  EventStamps& e = probe_.Current();
  e.note = note;
  e.noteOn = WallSeconds();
  inner_.SendNoteOn(note);
  e.holdStart = WallSeconds();
  e.cpuHoldStart = ProcessCpuSeconds();
}

void TimedMidi::SendNoteOff(int note) {
  EventStamps& e = probe_.Current();
  e.cpuHoldEnd = ProcessCpuSeconds();
  e.holdEnd = e.noteOff = WallSeconds();
  inner_.SendNoteOff(note);
  e.decayStart = WallSeconds();
  e.cpuDecayStart = ProcessCpuSeconds();
}

}  // namespace ntr::bench
