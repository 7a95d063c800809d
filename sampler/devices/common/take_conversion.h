#pragma once
// Turning a captured take into the PCM bytes of the chosen format: channel
// conversion, sample-rate conversion (libsoxr) and quantisation to 8-bit
// unsigned or 16-bit signed little-endian samples, rounded to the nearest
// value and clipped at full scale. Pure functions, any thread.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "devices/common/recorded_take.h"
#include "engine/ports.h"

namespace ntr {

// Mono to stereo copies the channel; stereo to mono takes the mean of the two.
std::vector<float> ConvertChannels(const std::vector<float>& interleaved, int fromChannels, int toChannels);

// Resamples interleaved audio with libsoxr (high quality). Equal rates copy.
// Throws DeviceError when the converter fails.
std::vector<float> Resample(const std::vector<float>& interleaved, int channels, int fromRate, int toRate);

// One sample: nearest value, halves to even, clipped; NaN is silence.
int16_t QuantiseTo16(float sample);
uint8_t QuantiseTo8(float sample);  // unsigned, 128 is silence

// Little-endian PCM bytes (one char per byte) of 8 or 16 bits per sample.
std::string EncodePcm(const std::vector<float>& interleaved, int bitsPerSample);

// The frames a take of this many clock seconds holds at this rate (nearest,
// halves up), computed on whole microseconds so equal lengths give equal counts.
std::size_t FramesForSeconds(double seconds, int sampleRate);

// Cuts or pads (with silence) interleaved audio to a number of frames.
void FitFrames(std::vector<float>& interleaved, int channels, std::size_t frames);

// The whole chain; the format must have passed CheckRecordingFormat.
std::string ConvertTake(const RecordedTake& take, const RecordingFormat& format);

}  // namespace ntr
