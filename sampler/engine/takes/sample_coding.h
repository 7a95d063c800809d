// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How one sample of a take is stored in its data chunk, read and written as a
// fraction of full scale: 8-bit unsigned, 16/24/32-bit signed little-endian
// integers, or 32-bit little-endian IEEE float. The recorders encode takes
// with it, the take analysis and the trimming read (and fade) them. Header
// only, pure functions, any thread.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

namespace ntr {

struct SampleCoding {
  int bits = 16;
  bool isFloat = false;  // 32-bit IEEE float

  constexpr std::size_t Bytes() const { return static_cast<std::size_t>(bits / 8); }
  bool operator==(const SampleCoding&) const = default;
};

// The coding of a format chunk's format code (1 PCM, 3 IEEE float) and sample
// size; none for what takes never hold.
inline std::optional<SampleCoding> CodingOf(int formatCode, int bits) {
  if (formatCode == 1 && (bits == 8 || bits == 16 || bits == 24 || bits == 32)) return SampleCoding{bits, false};
  if (formatCode == 3 && bits == 32) return SampleCoding{32, true};
  return std::nullopt;
}

// One sample to an integer code: nearest value, halves to even, clipped at
// full scale; NaN is silence.
inline int32_t QuantiseToBits(float sample, int bits) {
  if (std::isnan(sample)) return 0;
  const auto scale = static_cast<double>(int64_t{1} << (bits - 1));
  return static_cast<int32_t>(std::nearbyint(std::clamp(static_cast<double>(sample) * scale, -scale, scale - 1.0)));
}
inline int16_t QuantiseTo16(float sample) { return static_cast<int16_t>(QuantiseToBits(sample, 16)); }
inline uint8_t QuantiseTo8(float sample) {  // unsigned, 128 is silence
  return static_cast<uint8_t>(QuantiseToBits(sample, 8) + 128);
}

// Writes one sample at p (coding.Bytes() bytes).
inline void EncodeSample(float sample, SampleCoding coding, unsigned char* p) {
  if (coding.isFloat) {
    std::memcpy(p, &sample, sizeof sample);  // little-endian machines only, as the whole program
    return;
  }
  if (coding.bits == 8) {
    p[0] = QuantiseTo8(sample);
    return;
  }
  const auto code = static_cast<uint32_t>(QuantiseToBits(sample, coding.bits));
  for (std::size_t i = 0; i < coding.Bytes(); ++i) p[i] = static_cast<unsigned char>(code >> (8 * i));
}

// Reads one sample at p as a fraction of full scale; atFullScale tells
// whether it sits at (or, for float, beyond) full scale. A float that is not
// finite reads as silence; one beyond full scale reads clipped to it.
inline double DecodeSample(const unsigned char* p, SampleCoding coding, bool& atFullScale) {
  if (coding.isFloat) {
    float value = 0.0f;
    std::memcpy(&value, p, sizeof value);
    const double v = std::isfinite(value) ? value : 0.0;
    atFullScale = std::fabs(v) >= 1.0;
    return std::clamp(v, -1.0, 1.0);
  }
  if (coding.bits == 8) {
    const int v = static_cast<int>(p[0]) - 128;
    atFullScale = v == 127 || v == -128;
    return v / 128.0;
  }
  uint32_t code = 0;
  for (std::size_t i = 0; i < coding.Bytes(); ++i) code |= static_cast<uint32_t>(p[i]) << (8 * i);
  const int shift = 32 - coding.bits;  // the sign bit to the top, then back
  const int32_t v = static_cast<int32_t>(code << shift) >> shift;
  const int64_t top = (int64_t{1} << (coding.bits - 1)) - 1;
  atFullScale = v == top || v == -top - 1;
  return static_cast<double>(v) / static_cast<double>(top + 1);
}

}  // namespace ntr
