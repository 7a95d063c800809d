// SPDX-License-Identifier: GPL-3.0-or-later
#include "devices/takes/take_conversion.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace ntr {

std::vector<float> ConvertChannels(const std::vector<float>& interleaved, int fromChannels, int toChannels) {
  if (fromChannels == toChannels) return interleaved;
  const auto from = static_cast<std::size_t>(fromChannels);
  const auto to = static_cast<std::size_t>(toChannels);
  const std::size_t frames = interleaved.size() / from;
  std::vector<float> out(frames * to);
  for (std::size_t f = 0; f < frames; ++f) {
    const float* in = &interleaved[f * from];
    float* o = &out[f * to];
    if (to == 1) {
      float sum = 0.0f;
      for (std::size_t c = 0; c < from; ++c) sum += in[c];
      o[0] = sum / static_cast<float>(from);
    } else {
      for (std::size_t c = 0; c < to; ++c) o[c] = in[std::min(c, from - 1)];
    }
  }
  return out;
}

std::vector<float> Resample(const std::vector<float>& interleaved, int channels, int fromRate, int toRate,
                            int bitsKept) {
  if (fromRate == toRate || interleaved.empty()) return interleaved;
  const auto ch = static_cast<std::size_t>(channels);
  const std::size_t inFrames = interleaved.size() / ch;
  const double ratio = static_cast<double>(toRate) / fromRate;
  const auto capacity = static_cast<std::size_t>(std::ceil(static_cast<double>(inFrames) * ratio)) + 16;
  std::vector<float> out(capacity * ch);

  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(bitsKept > 16 ? SOXR_VHQ : SOXR_HQ, 0);
  std::size_t framesDone = 0;
  const soxr_error_t error = soxr_oneshot(fromRate, toRate, static_cast<unsigned>(channels), interleaved.data(),
                                          inFrames, nullptr, out.data(), capacity, &framesDone, &io, &quality, nullptr);
  if (error != nullptr) {
    throw DeviceError(std::string("Sample-rate conversion failed: ") + error);
  }
  out.resize(framesDone * ch);
  return out;
}

std::string EncodePcm(const std::vector<float>& interleaved, SampleCoding coding) {
  std::string bytes(interleaved.size() * coding.Bytes(), '\0');
  auto* out = reinterpret_cast<unsigned char*>(bytes.data());
  for (std::size_t i = 0; i < interleaved.size(); ++i) EncodeSample(interleaved[i], coding, out + i * coding.Bytes());
  return bytes;
}

std::size_t FramesForSeconds(double seconds, int sampleRate) {
  if (!(seconds > 0.0) || sampleRate <= 0) return 0;
  const auto micros = static_cast<std::int64_t>(std::llround(seconds * 1.0e6));
  return static_cast<std::size_t>((micros * sampleRate + 500000) / 1000000);
}

void FitFrames(std::vector<float>& interleaved, int channels, std::size_t frames) {
  interleaved.resize(frames * static_cast<std::size_t>(channels), 0.0f);
}

std::string ConvertTake(const RecordedTake& take, const RecordingFormat& format) {
  if (take.channels <= 0 || take.sampleRate <= 0) return {};
  // Fewer channels first: the resampler then has less to do.
  std::vector<float> audio = ConvertChannels(take.samples, take.channels, format.channels);
  audio = Resample(audio, format.channels, take.sampleRate, format.samplesPerSec, format.bitsPerSample);
  if (take.clockSeconds >= 0.0) {
    FitFrames(audio, format.channels, FramesForSeconds(take.clockSeconds, format.samplesPerSec));
  }
  return EncodePcm(audio, CodingOf(format));
}

}  // namespace ntr
