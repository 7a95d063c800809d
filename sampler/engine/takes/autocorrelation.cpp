// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/takes/autocorrelation.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace ntr {

namespace {

// A complex signal as two arrays (real and imaginary parts apart keep the
// butterflies' loads and stores plain doubles, which runs several times faster
// here than std::complex).
struct Signal {
  std::vector<double> re, im;
};

// The turns e^(-2πik/size) for k below size / 2.
Signal Turns(std::size_t size) {
  Signal turns{std::vector<double>(size / 2), std::vector<double>(size / 2)};
  for (std::size_t k = 0; k < size / 2; ++k) {
    const double angle = -2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(size);
    turns.re[k] = std::cos(angle);
    turns.im[k] = std::sin(angle);
  }
  return turns;
}

// In-place radix-2 forward FFT of a power-of-two length, with its Turns.
void Fft(Signal& a, const Signal& turns) {
  const std::size_t size = a.re.size();
  for (std::size_t i = 1, j = 0; i < size; ++i) {
    std::size_t bit = size >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) {
      std::swap(a.re[i], a.re[j]);
      std::swap(a.im[i], a.im[j]);
    }
  }
  for (std::size_t length = 2; length <= size; length <<= 1) {
    const std::size_t half = length / 2, stride = size / length;
    for (std::size_t start = 0; start < size; start += length) {
      double* re = a.re.data() + start;
      double* im = a.im.data() + start;
      for (std::size_t k = 0; k < half; ++k) {
        const double turnRe = turns.re[k * stride], turnIm = turns.im[k * stride];
        const double oddRe = re[k + half] * turnRe - im[k + half] * turnIm;
        const double oddIm = re[k + half] * turnIm + im[k + half] * turnRe;
        re[k + half] = re[k] - oddRe;
        im[k + half] = im[k] - oddIm;
        re[k] += oddRe;
        im[k] += oddIm;
      }
    }
  }
}

}  // namespace

std::vector<double> NormalisedAutocorrelation(const std::vector<float>& x, std::size_t n, std::size_t maxLag) {
  n = std::min(n, x.size());
  std::vector<double> curve(maxLag + 1, 0.0);
  if (n == 0) return curve;
  // Zero-padded past n + maxLag, so that no lag wraps around onto the start.
  std::size_t size = 1;
  while (size < n + maxLag + 1) size <<= 1;
  Signal signal{std::vector<double>(size, 0.0), std::vector<double>(size, 0.0)};
  std::copy(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n), signal.re.begin());
  const Signal turns = Turns(size);
  Fft(signal, turns);
  // The power spectrum is real and even, so its forward transform is its
  // inverse times the size: the products at every lag.
  for (std::size_t k = 0; k < size; ++k) {
    signal.re[k] = signal.re[k] * signal.re[k] + signal.im[k] * signal.im[k];
    signal.im[k] = 0.0;
  }
  Fft(signal, turns);

  // energyBefore[k]: the sum of x[i]² for i < k.
  std::vector<double> energyBefore(n + 1, 0.0);
  for (std::size_t i = 0; i < n; ++i) energyBefore[i + 1] = energyBefore[i] + static_cast<double>(x[i]) * x[i];
  for (std::size_t lag = 0; lag <= maxLag && lag < n; ++lag) {
    const double product = signal.re[lag] / static_cast<double>(size);
    const double energy = energyBefore[n - lag] + (energyBefore[n] - energyBefore[lag]);
    curve[lag] = energy > 0.0 ? 2.0 * product / energy : 0.0;
  }
  return curve;
}

}  // namespace ntr
