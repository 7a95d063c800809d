// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/progress_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/run/format_seconds.h"
#include "engine/events/note_names.h"
#include "engine/run/plural.h"
#include "engine/takes/sample_paths.h"

namespace ntr::batch {

std::string ElapsedText(double seconds) {
  const std::string text = FormatSeconds(static_cast<std::int64_t>(std::llround(std::max(seconds, 0.0))));
  return text.empty() ? "0\"" : text;
}

// Texts are built by appending: GCC 12 warns wrongly (-Wrestrict) about
// "literal" + std::string chains in optimised builds.
std::string ProgressBarLine(const BarContent& c, int width) {
  std::string tail(1, ' ');
  tail.append(std::to_string(c.done)).append("/").append(std::to_string(c.total));
  tail.append("  elapsed ").append(c.elapsed);
  if (!c.estimate.empty()) tail.append("  estimate ").append(c.estimate);
  if (!c.nowPlaying.empty()) tail.append("  playing ").append(c.nowPlaying);

  const int usable = std::max(width - 1, 1);
  const int barWidth = std::min(40, usable - static_cast<int>(tail.size()) - 2);
  std::string line;
  if (barWidth >= 10) {
    const std::int64_t filled = c.total > 0 ? std::clamp<std::int64_t>(c.done * barWidth / c.total, 0, barWidth) : 0;
    line.push_back('[');
    line.append(static_cast<std::size_t>(filled), '#')
        .append(static_cast<std::size_t>(barWidth - filled), '.')
        .append("]")
        .append(tail);
  } else {
    line = tail.substr(1);
  }
  if (static_cast<int>(line.size()) > usable) line.resize(static_cast<std::size_t>(usable));
  return line;
}

ProgressView::ProgressView(std::FILE* out, bool terminal, int width, ClockPort& clock)
    : out_(out), terminal_(terminal), width_(width), clock_(clock) {}

double ProgressView::ElapsedSeconds() {
  if (!started_) return 0.0;
  return (running_ ? clock_.Now() : runEnd_) - runStart_;
}

void ProgressView::ClearBar() {
  if (!barShown_) return;
  std::fputs("\r\033[K", out_);
  std::fflush(out_);
  barShown_ = false;
}

// Draws the bar once the run knows its events, and only when it changed.
void ProgressView::Draw() {
  if (!terminal_ || !running_ || progress_.eventsTotal == 0) return;
  BarContent content{progress_.eventsDone, progress_.eventsTotal, ElapsedText(ElapsedSeconds()), progress_.estimate,
                     progress_.nowPlaying};
  drawnSecond_ = static_cast<std::int64_t>(ElapsedSeconds());
  const std::string line = ProgressBarLine(content, width_);
  if (barShown_ && line == drawnLine_) return;
  drawnLine_ = line;
  std::fputs(("\r" + line + "\033[K").c_str(), out_);
  std::fflush(out_);
  barShown_ = true;
}

void ProgressView::Line(std::FILE* stream, const std::string& text) {
  ClearBar();
  std::fputs((text + "\n").c_str(), stream);
  std::fflush(stream);
  Draw();
}

void ProgressView::Tick() {
  if (terminal_ && running_ && static_cast<std::int64_t>(ElapsedSeconds()) != drawnSecond_) Draw();
}

void ProgressView::RunStateChanged(RunState state) {
  if (state == RunState::Running && !started_) {
    started_ = true;
    running_ = true;
    runStart_ = clock_.Now();
  }
  if (state == RunState::Idle && running_) {
    running_ = false;
    runEnd_ = clock_.Now();
  }
  Draw();
}

void ProgressView::RunProgressChanged(const RunProgress& progress) {
  const bool firstSkip = progress.eventsSkipped > 0 && progress_.eventsSkipped == 0;
  progress_ = progress;
  if (firstSkip) {
    Line(out_, "Skipping " + Plural(progress.eventsSkipped, "take") + " already made; " +
                   std::to_string(progress.eventsTotal) + " to make, estimated time " +
                   (progress.estimate.empty() ? std::string("0\"") : progress.estimate) + ".");
  }
  Draw();
}

void ProgressView::LevelChecked(const LevelCheckReport& check) {
  const auto db = [](double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f dBFS", value);
    return std::string(text);
  };
  std::string line = "Level check";
  if (check.programTag != kSinglePassTag) line += " (program " + check.programTag + ")";
  line += ": noise floor " + db(check.noiseFloorDbfs);
  if (check.soundingNote && check.soundingLevels) {
    line += ", test note " + NoteName(*check.soundingNote) + " peaks at " + db(check.soundingLevels->peakDbfs);
  }
  Line(out_, line);
}

void ProgressView::TakeSaved(const SavedTake& take) {
  ++takesSaved_;
  if (terminal_) return;
  std::string line(1, '[');
  line.append(std::to_string(takesSaved_)).append("/").append(std::to_string(progress_.eventsTotal));
  line.append("] PATCH_").append(take.programTag).append(" ").append(take.note).append(" saved: ").append(take.file);
  if (take.status == TakeStatus::Silent || take.status == TakeStatus::Clipped) {
    line.append(take.status == TakeStatus::Silent ? "  (silent)" : "  (clipped)");
  }
  for (const std::string& warning : take.warnings) line.append("  warning: ").append(warning);
  line.append("  elapsed ").append(ElapsedText(ElapsedSeconds()));
  if (!progress_.estimate.empty()) line.append("  estimate ").append(progress_.estimate);
  Line(out_, line);
}

// A take the run went on past (its file was protected): said at once, also on a terminal.
void ProgressView::TakeFailed(const SavedTake& take) {
  Line(stderr, "PATCH_" + take.programTag + " " + take.note + " not saved: " + take.cause);
}

void ProgressView::RunFinished(const RunResult& /*result*/) {
  if (barShown_) {
    std::fputs("\n", out_);
    std::fflush(out_);
    barShown_ = false;
  }
}

}  // namespace ntr::batch
