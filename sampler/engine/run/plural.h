// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "1 take", "3 takes": a count and its word, for the texts every front end says.

#include <cstdint>
#include <string>

namespace ntr {

inline std::string Plural(std::int64_t count, const std::string& word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

}  // namespace ntr
