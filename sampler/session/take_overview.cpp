// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/take_overview.h"

#include <algorithm>
#include <stdexcept>

#include "quendal/wav.h"

namespace ntr::session {

namespace {

void ReadWav(quendal::Wav& wav, const std::string& path) {
  if (wav.GetWavFile(path) != 0) throw std::runtime_error("\"" + path + "\" is not a WAVE file");
}

}  // namespace

TakeOverview BuildTakeOverview(const std::string& path, std::size_t columns) {
  quendal::Wav wav;
  ReadWav(wav, path);
  const TakeSamples take = SamplesOf(wav, path);
  TakeOverview overview;
  overview.sampleRate = take.sampleRate;
  overview.frames = take.Frames();
  overview.levels = MeasureTake(take, std::nullopt);
  overview.low.assign(columns, 0.0f);
  overview.high.assign(columns, 0.0f);
  overview.clipped.assign(columns, false);
  if (overview.frames > 0 && columns > 0) {
    std::vector<int> fullScaleRun(take.channels, 0);
    for (std::size_t frame = 0; frame < overview.frames; ++frame) {
      const std::size_t column = frame * columns / overview.frames;
      float& low = overview.low[column];
      float& high = overview.high[column];
      for (std::size_t c = 0; c < take.channels; ++c) {
        bool atFullScale = false;
        const auto v = static_cast<float>(take.At(frame, c, atFullScale));
        low = std::min(low, v);
        high = std::max(high, v);
        // Clipping as the measuring counts it: a run of samples at full scale.
        fullScaleRun[c] = atFullScale ? fullScaleRun[c] + 1 : 0;
        if (fullScaleRun[c] >= kClippedRun) overview.clipped[column] = true;
      }
    }
  }
  if (wav.SmplChunk->ChunkId == "smpl") {
    for (const auto& loop : *wav.SmplChunk->WavSmplLoops) {
      if (loop->LoopStart < 0 || loop->LoopEnd < loop->LoopStart) continue;
      overview.loops.push_back({static_cast<std::size_t>(loop->LoopStart), static_cast<std::size_t>(loop->LoopEnd)});
    }
  }
  return overview;
}

TakeMarks MarksOf(const TakeOverview& overview, const TakeTiming& timing) {
  TakeMarks marks;
  const double length = overview.Seconds();
  const auto within = [length](double seconds) {
    return seconds >= 0.0 && seconds <= length ? std::optional<double>(seconds) : std::nullopt;
  };
  const double preRoll = timing.preRollMs / 1000.0;
  if (timing.trimmed) {
    const double onset = overview.levels.onsetSeconds.value_or(preRoll);
    marks.soundStart = within(onset);
    marks.fadeStart = within(length - timing.fadeOutMs / 1000.0);
    if (timing.durationMs) marks.noteOff = within(onset + *timing.durationMs / 1000.0);
  } else if (timing.durationMs) {
    marks.noteOff = within(*timing.durationMs / 1000.0);
  }
  if (overview.sampleRate > 0) {
    for (const TakeLoop& loop : overview.loops) {
      marks.loops.emplace_back(static_cast<double>(loop.start) / overview.sampleRate,
                               static_cast<double>(loop.end) / overview.sampleRate);
    }
  }
  return marks;
}

TakeAudio ReadTakeAudio(const std::string& path) {
  quendal::Wav wav;
  ReadWav(wav, path);
  const TakeSamples take = SamplesOf(wav, path);
  TakeAudio audio;
  audio.channels = static_cast<int>(take.channels);
  audio.sampleRate = take.sampleRate;
  audio.samples.reserve(take.Frames() * take.channels);
  for (std::size_t frame = 0; frame < take.Frames(); ++frame) {
    for (std::size_t c = 0; c < take.channels; ++c) {
      bool atFullScale = false;
      audio.samples.push_back(static_cast<float>(take.At(frame, c, atFullScale)));
    }
  }
  return audio;
}

}  // namespace ntr::session
