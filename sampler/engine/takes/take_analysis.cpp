// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/takes/take_analysis.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "engine/takes/sample_coding.h"
#include "engine/takes/take_finishing.h"
#include "quendal/wav.h"

namespace ntr {

namespace {

double Dbfs(double amplitude) {
  return amplitude > 0.0 ? std::max(20.0 * std::log10(amplitude), kSilenceFloorDbfs) : kSilenceFloorDbfs;
}

// The first frame where a sample of any channel reaches `amplitude`.
std::optional<std::size_t> FirstFrameAbove(const TakeSamples& take, double amplitude) {
  return WithFixedCoding(take.coding, [&](auto fixed) -> std::optional<std::size_t> {
    for (std::size_t frame = 0; frame < take.Frames(); ++frame) {
      for (std::size_t c = 0; c < take.channels; ++c) {
        bool atFullScale = false;
        if (std::fabs(take.At(frame, c, atFullScale, fixed)) >= amplitude) return frame;
      }
    }
    return std::nullopt;
  });
}

}  // namespace

TakeSamples SamplesOf(const quendal::Wav& wav, const std::string& file) {
  const quendal::WavFmt& fmt = *wav.Fmt_Chunk;
  const std::optional<SampleCoding> coding = CodingOf(fmt.CompressionCode, fmt.BitsPerSample);
  if (!coding || fmt.ChannelsNumber <= 0 || fmt.SampleRate <= 0) {
    throw std::runtime_error("\"" + file + "\" holds no PCM audio that can be measured");
  }
  return {wav.DataChunk->ChunkData, *coding, static_cast<std::size_t>(fmt.ChannelsNumber), fmt.SampleRate};
}

// The finishing step: the take as it will be written.
void MeasureStep(TakeBeingFinished& take) {
  take.levels = MeasureTake(SamplesOf(take.wav, take.file), take.request.noiseFloorDbfs);
}

TakeLevels AnalyseTakeFile(const std::string& file, std::optional<double> noiseFloorDbfs) {
  quendal::Wav wav;
  if (wav.GetWavFile(file) != 0) throw std::runtime_error("\"" + file + "\" is not a WAVE file");
  return MeasureTake(SamplesOf(wav, file), noiseFloorDbfs);
}

TakeLevels MeasureTake(const TakeSamples& take, std::optional<double> noiseFloorDbfs) {
  const std::size_t channels = take.channels;
  const std::size_t frames = take.Frames();
  TakeLevels levels;
  levels.seconds = static_cast<double>(frames) / take.sampleRate;
  if (frames == 0) return levels;

  // One pass for peak, energy and clipping; the onset needs the peak, so a second, short pass.
  double peak = 0.0;
  std::size_t peakFrame = 0;
  double endPeak = 0.0;
  const std::size_t endWindow = static_cast<std::size_t>(kEndWindowSeconds * take.sampleRate);
  const std::size_t endFrom = frames > endWindow ? frames - endWindow : 0;
  double energy = 0.0;
  std::vector<int> fullScaleRun(channels, 0);
  WithFixedCoding(take.coding, [&](auto fixed) {
    for (std::size_t frame = 0; frame < frames; ++frame) {
      for (std::size_t c = 0; c < channels; ++c) {
        bool atFullScale = false;
        const double v = take.At(frame, c, atFullScale, fixed);
        if (std::fabs(v) > peak) {
          peak = std::fabs(v);
          peakFrame = frame;
        }
        if (frame >= endFrom) endPeak = std::max(endPeak, std::fabs(v));
        energy += v * v;
        fullScaleRun[c] = atFullScale ? fullScaleRun[c] + 1 : 0;
        if (fullScaleRun[c] >= kClippedRun) levels.clipped = true;
      }
    }
  });
  levels.peakDbfs = Dbfs(peak);
  levels.peakSeconds = static_cast<double>(peakFrame) / take.sampleRate;
  levels.endPeakDbfs = Dbfs(endPeak);
  levels.rmsDbfs = Dbfs(std::sqrt(energy / static_cast<double>(frames * channels)));

  double threshold = peak * DbfsAmplitude(-20.0);
  if (noiseFloorDbfs) threshold = std::max(threshold, DbfsAmplitude(*noiseFloorDbfs + 10.0));
  if (peak <= 0.0 || peak < threshold) return levels;
  if (const auto onset = FirstFrameAbove(take, threshold)) {
    levels.onsetSeconds = static_cast<double>(*onset) / take.sampleRate;
  }
  return levels;
}

bool Sounds(const TakeLevels& levels, double noiseFloorDbfs) {
  return levels.peakDbfs >= std::max(noiseFloorDbfs, kSilenceFloorDbfs) + kSoundingMarginDb;
}

bool SoundsOverCarried(const TakeLevels& levels, double noiseFloorDbfs, double carriedDbfs) {
  return Sounds(levels, noiseFloorDbfs) &&
         (levels.peakDbfs >= carriedDbfs + kRiseOverCarriedDb || levels.peakSeconds >= kCarriedPeakSeconds);
}

}  // namespace ntr
