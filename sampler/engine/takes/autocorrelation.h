// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The normalised autocorrelation of a stretch of samples at every lag up to
// a bound, in O(n log n) through one FFT rather than O(n) per lag: the pitch
// step's coarse search over a low note's lags would otherwise cost the run
// several milliseconds between two takes. Plain C++, any thread.

#include <cstddef>
#include <vector>

namespace ntr {

// For each lag from 0 to maxLag: 2 Σ x[i]·x[i+lag] / Σ (x[i]² + x[i+lag]²)
// over i + lag < n (0 where the stretch is silent): 1 where the samples
// repeat exactly after `lag`, whatever their level.
std::vector<double> NormalisedAutocorrelation(const std::vector<float>& x, std::size_t n, std::size_t maxLag);

}  // namespace ntr
