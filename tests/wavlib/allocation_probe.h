// SPDX-License-Identifier: MIT
#pragma once
// Records the largest single allocation made through operator new, so tests
// can show that reading a file never asks for more memory than the file has.

#include <cstddef>

namespace wavtest {
void ResetLargestAllocation();
std::size_t LargestAllocation();
}  // namespace wavtest
