// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/takes/take_trimming.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "engine/takes/take_finishing.h"
#include "quendal/wav.h"

namespace ntr {

namespace {

std::size_t FramesOfMillis(int millis, int sampleRate) {
  return static_cast<std::size_t>(std::llround(static_cast<double>(std::max(millis, 0)) * sampleRate / 1000.0));
}

double MeanSquare(const TakeSamples& take, std::size_t first, std::size_t end) {
  double energy = 0.0;
  for (std::size_t frame = first; frame < end; ++frame) {
    for (std::size_t c = 0; c < take.channels; ++c) {
      bool atFullScale = false;
      const double v = take.At(frame, c, atFullScale);
      energy += v * v;
    }
  }
  return energy / static_cast<double>((end - first) * take.channels);
}

// The end of the last block of the take that rises above the noise floor,
// searched backwards down to the sound's start.
std::size_t SoundEnd(const TakeSamples& take, std::size_t soundStart, double floorDbfs) {
  const std::size_t frames = take.Frames();
  const std::size_t block =
      std::max<std::size_t>(1, static_cast<std::size_t>(std::llround(kSoundEndBlockSeconds * take.sampleRate)));
  const double loud = std::pow(DbfsAmplitude(floorDbfs + kSoundEndAboveFloorDb), 2.0);
  for (std::size_t blockStart = (frames - 1) / block * block;; blockStart -= block) {
    const std::size_t blockEnd = std::min(frames, blockStart + block);
    if (MeanSquare(take, blockStart, blockEnd) > loud) return blockEnd;
    if (blockStart <= soundStart) return soundStart + 1;
  }
}

// The gain of frame i (0-based) of a fade-out over n frames: a raised cosine
// from just below 1 down to 0 at the last frame.
double FadeOutGain(std::size_t i, std::size_t n) {
  return 0.5 * (1.0 + std::cos(std::numbers::pi * static_cast<double>(i + 1) / static_cast<double>(n)));
}

}  // namespace

std::optional<TrimSpan> PlanTrim(const TakeSamples& take, const TrimSettings& settings) {
  const TakeLevels levels = MeasureTake(take, settings.noiseFloorDbfs);
  if (!levels.onsetSeconds || !Sounds(levels, settings.noiseFloorDbfs)) return std::nullopt;
  const double floorDbfs = std::max(settings.noiseFloorDbfs, kSilenceFloorDbfs);
  const auto soundStart = static_cast<std::size_t>(std::llround(*levels.onsetSeconds * take.sampleRate));

  TrimSpan span;
  const std::size_t preRoll = FramesOfMillis(settings.preRollMs, take.sampleRate);
  span.first = soundStart > preRoll ? soundStart - preRoll : 0;
  span.leadFrames = preRoll - (soundStart - span.first);
  // The fade begins where the sound has ended: it fades the noise after it
  // (or, in a take cut short by its decay, the last of the sound).
  const std::size_t fade = FramesOfMillis(settings.fadeOutMs, take.sampleRate);
  span.end = std::min(take.Frames(), SoundEnd(take, soundStart, floorDbfs) + fade);
  span.fadeFrames = std::min(fade, span.end - span.first + span.leadFrames);
  return span;
}

namespace {

// Trims the take; the span it kept, none for a silent take (left as it was).
std::optional<TrimSpan> TrimTakeTo(quendal::Wav& wav, const std::string& file, const TrimSettings& settings) {
  const TakeSamples take = SamplesOf(wav, file);
  const std::optional<TrimSpan> span = PlanTrim(take, settings);
  if (!span) return span;

  const std::size_t frameBytes = take.FrameBytes();
  const std::size_t keptFrames = span->leadFrames + span->end - span->first;
  std::string kept(span->leadFrames * frameBytes, '\0');
  auto* bytes = reinterpret_cast<unsigned char*>(kept.data());
  for (std::size_t i = 0; i < span->leadFrames * take.channels; ++i) {
    EncodeSample(0.0f, take.coding, bytes + i * take.coding.Bytes());  // silence (128 in 8 bits)
  }
  kept.append(take.data.substr(span->first * frameBytes, (span->end - span->first) * frameBytes));
  bytes = reinterpret_cast<unsigned char*>(kept.data());
  for (std::size_t i = 0; i < span->fadeFrames; ++i) {
    const double gain = FadeOutGain(i, span->fadeFrames);
    unsigned char* frame = bytes + (keptFrames - span->fadeFrames + i) * frameBytes;
    for (std::size_t c = 0; c < take.channels; ++c) {
      unsigned char* sample = frame + c * take.coding.Bytes();
      bool atFullScale = false;
      EncodeSample(static_cast<float>(DecodeSample(sample, take.coding, atFullScale) * gain), take.coding, sample);
    }
  }

  const auto cut = static_cast<int32_t>(span->first) - static_cast<int32_t>(span->leadFrames);
  const auto length = static_cast<int32_t>(keptFrames);
  wav.DataChunk->ChunkData = std::move(kept);
  wav.DataChunk->ChunkSize = static_cast<int32_t>(wav.DataChunk->ChunkData.size());
  if (wav.FactChunk->ChunkId == "fact") wav.FactChunk->SamplesNumber = length;
  // Loop points count frames from the first one: they move with the cut.
  const quendal::WavSmplLoops& loops = *wav.SmplChunk->WavSmplLoops;
  for (int32_t i = 1; i <= loops.Count(); ++i) {
    quendal::WavSmplLoop& loop = *loops.Item(i);
    loop.LoopStart = std::clamp(loop.LoopStart - cut, 0, std::max(length - 1, 0));
    loop.LoopEnd = std::clamp(loop.LoopEnd - cut, 0, std::max(length - 1, 0));
  }
  return span;
}

}  // namespace

bool TrimTake(quendal::Wav& wav, const std::string& file, const TrimSettings& settings) {
  return TrimTakeTo(wav, file, settings).has_value();
}

// The finishing step.
void TrimStep(TakeBeingFinished& take) {
  if (!take.request.trim) return;
  if (const std::optional<TrimSpan> span = TrimTakeTo(take.wav, take.file, *take.request.trim)) {
    take.changed = true;
    take.framesCut = static_cast<long long>(span->first) - static_cast<long long>(span->leadFrames);
  }
}

}  // namespace ntr
