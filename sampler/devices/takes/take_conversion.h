// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turning a captured take into the sample bytes of the chosen format: channel
// conversion, sample-rate conversion (libsoxr) and quantisation to 8-bit
// unsigned or 16/24-bit signed little-endian samples, rounded to the nearest
// value and clipped at full scale, or 32-bit floats as captured. Pure
// functions, any thread.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "devices/takes/recorded_take.h"
#include "engine/ports.h"
#include "engine/takes/sample_coding.h"

namespace ntr {

// Mono to stereo copies the channel; stereo to mono takes the mean of the two.
std::vector<float> ConvertChannels(const std::vector<float>& interleaved, int fromChannels, int toChannels);

// Resamples interleaved audio with libsoxr at a quality that keeps
// `bitsKept` bits (high quality, 20 bits, for up to 16; very high, 28 bits,
// beyond). Equal rates copy. Throws DeviceError when the converter fails.
std::vector<float> Resample(const std::vector<float>& interleaved, int channels, int fromRate, int toRate,
                            int bitsKept = 16);

// Little-endian sample bytes (one char per byte) in the coding (8, 16, 24 or
// 32 bits, the last integer or float; see engine/sample_coding.h).
std::string EncodePcm(const std::vector<float>& interleaved, SampleCoding coding);

// The frames a take of this many clock seconds holds at this rate (nearest,
// halves up), computed on whole microseconds so equal lengths give equal counts.
std::size_t FramesForSeconds(double seconds, int sampleRate);

// Cuts or pads (with silence) interleaved audio to a number of frames.
void FitFrames(std::vector<float>& interleaved, int channels, std::size_t frames);

// The whole chain; the format must have passed CheckRecordingFormat.
std::string ConvertTake(const RecordedTake& take, const RecordingFormat& format);

}  // namespace ntr
