// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What an unattended run shows while it works. On a terminal: one line that
// is redrawn in place, a bar with the events done of the total, the time
// elapsed (ticking every second), the estimate and the note playing. Anywhere
// else (a log file, a pipe): one plain line per saved take.
// Everything runs on the run's thread (the observer calls and Tick, which
// the clock's yield calls).

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/ports.h"
#include "engine/run/run_state.h"

namespace ntr::batch {

struct BarContent {
  std::int64_t done = 0;
  std::int64_t total = 0;
  std::string elapsed;    // "1' 3\""
  std::string estimate;   // "4' 12\"" ("" when there is none yet)
  std::string nowPlaying; // "C#5" ("" between notes)
};

// The terminal line for `content`, never longer than width - 1 characters
// (a line that fills the last column would wrap and break the redraw).
std::string ProgressBarLine(const BarContent& content, int width);

// "1' 3\"" as the window shows times; 0 s reads "0\"".
std::string ElapsedText(double seconds);

class ProgressView : public RunObserver {
 public:
  // out: where progress goes (stdout); terminal: draw the bar (else plain
  // lines); width: the terminal's columns.
  ProgressView(std::FILE* out, bool terminal, int width, ClockPort& clock);

  // A line of its own on `stream` (the bar is cleared first and drawn again after).
  void Line(std::FILE* stream, const std::string& text);
  // Redraws the bar when the elapsed time has moved on by a second.
  void Tick();

  std::int64_t TakesSaved() const { return takesSaved_; }
  std::int64_t EventsTotal() const { return progress_.eventsTotal; }
  double ElapsedSeconds();

  // RunObserver
  void RunStateChanged(RunState state) override;
  void RunProgressChanged(const RunProgress& progress) override;
  void LevelChecked(const LevelCheckReport& check) override;
  void TakeSaved(const SavedTake& take) override;
  void TakeFailed(const SavedTake& take) override;
  void RunFinished(const RunResult& result) override;

 private:
  void Draw();
  void ClearBar();

  std::FILE* out_;
  bool terminal_;
  int width_;
  ClockPort& clock_;
  RunProgress progress_;
  bool started_ = false;
  bool running_ = false;
  bool barShown_ = false;
  double runStart_ = 0.0;
  double runEnd_ = 0.0;
  std::int64_t drawnSecond_ = -1;
  std::string drawnLine_;
  std::int64_t takesSaved_ = 0;
};

}  // namespace ntr::batch
