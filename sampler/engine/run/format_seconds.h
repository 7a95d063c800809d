// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The display text of a time in whole seconds, used by the estimate and the
// run's elapsed time: "1h 2' 5\"", "60' ", "3' 20\"", "" for 0.

#include <cstdint>
#include <string>

namespace ntr {

// Hours appear only above 3600 s and minutes only above 60 s (strictly), so
// 3600 reads "60' " and 60 reads "60\"". Wide enough for any run.
std::string FormatSeconds(std::int64_t seconds);

}  // namespace ntr
