#include "engine/take_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "quendal/wav.h"

namespace ntr {

namespace {

double Dbfs(double amplitude) {
  return amplitude > 0.0 ? std::max(20.0 * std::log10(amplitude), kSilenceFloorDbfs) : kSilenceFloorDbfs;
}

double Amplitude(double dbfs) { return std::pow(10.0, dbfs / 20.0); }

// One sample as a fraction of full scale, and whether it sits at full scale.
struct SampleReader {
  int bits = 16;
  bool isFloat = false;

  double Read(const unsigned char* p, bool& atFullScale) const {
    if (isFloat) {
      float value = 0.0f;
      std::memcpy(&value, p, sizeof value);
      const double v = std::isfinite(value) ? value : 0.0;
      atFullScale = std::fabs(v) >= 1.0;
      return std::clamp(v, -1.0, 1.0);
    }
    switch (bits) {
      case 8: {
        const int v = static_cast<int>(p[0]) - 128;
        atFullScale = v == 127 || v == -128;
        return v / 128.0;
      }
      case 16: {
        const auto v = static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
        atFullScale = v == INT16_MAX || v == INT16_MIN;
        return v / 32768.0;
      }
      case 24: {
        int32_t v = static_cast<int32_t>(p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16));
        if (v & 0x800000) v -= 0x1000000;
        atFullScale = v == 0x7FFFFF || v == -0x800000;
        return v / 8388608.0;
      }
      default: {  // 32
        const auto v = static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                            (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
        atFullScale = v == INT32_MAX || v == INT32_MIN;
        return v / 2147483648.0;
      }
    }
  }
};

}  // namespace

TakeLevels AnalyseTakeFile(const std::string& file, std::optional<double> noiseFloorDbfs) {
  quendal::Wav wav;
  if (wav.GetWavFile(file) != 0) throw std::runtime_error("\"" + file + "\" is not a WAVE file");
  const quendal::WavFmt& fmt = *wav.Fmt_Chunk;
  SampleReader reader;
  reader.bits = fmt.BitsPerSample;
  reader.isFloat = fmt.CompressionCode == 3;
  const bool knownInteger = fmt.CompressionCode == 1 && (reader.bits == 8 || reader.bits == 16 || reader.bits == 24 ||
                                                         reader.bits == 32);
  const bool knownFloat = reader.isFloat && reader.bits == 32;
  if ((!knownInteger && !knownFloat) || fmt.ChannelsNumber <= 0 || fmt.SampleRate <= 0) {
    throw std::runtime_error("\"" + file + "\" holds no PCM audio that can be measured");
  }
  const std::size_t channels = static_cast<std::size_t>(fmt.ChannelsNumber);
  const std::size_t bytesPerSample = static_cast<std::size_t>(reader.bits / 8);
  const std::string& data = wav.DataChunk->ChunkData;
  const std::size_t frames = data.size() / (bytesPerSample * channels);

  TakeLevels levels;
  levels.seconds = static_cast<double>(frames) / fmt.SampleRate;
  if (frames == 0) return levels;

  // One pass for peak, energy and clipping; the onset needs the peak, so a second, short pass.
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  double peak = 0.0;
  double energy = 0.0;
  std::vector<int> fullScaleRun(channels, 0);
  for (std::size_t frame = 0; frame < frames; ++frame) {
    for (std::size_t c = 0; c < channels; ++c) {
      bool atFullScale = false;
      const double v = reader.Read(bytes + (frame * channels + c) * bytesPerSample, atFullScale);
      peak = std::max(peak, std::fabs(v));
      energy += v * v;
      fullScaleRun[c] = atFullScale ? fullScaleRun[c] + 1 : 0;
      if (fullScaleRun[c] >= kClippedRun) levels.clipped = true;
    }
  }
  levels.peakDbfs = Dbfs(peak);
  levels.rmsDbfs = Dbfs(std::sqrt(energy / static_cast<double>(frames * channels)));

  double threshold = peak * Amplitude(-20.0);
  if (noiseFloorDbfs) threshold = std::max(threshold, Amplitude(*noiseFloorDbfs + 10.0));
  if (peak <= 0.0 || peak < threshold) return levels;
  for (std::size_t frame = 0; frame < frames && !levels.onsetSeconds; ++frame) {
    for (std::size_t c = 0; c < channels; ++c) {
      bool atFullScale = false;
      if (std::fabs(reader.Read(bytes + (frame * channels + c) * bytesPerSample, atFullScale)) >= threshold) {
        levels.onsetSeconds = static_cast<double>(frame) / fmt.SampleRate;
        break;
      }
    }
  }
  return levels;
}

bool Sounds(const TakeLevels& levels, double noiseFloorDbfs) {
  return levels.peakDbfs >= std::max(noiseFloorDbfs, kSilenceFloorDbfs) + kSoundingMarginDb;
}

}  // namespace ntr
