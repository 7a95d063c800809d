// SPDX-License-Identifier: MIT
#pragma once
// The order in which the writer lays out the modelled chunks, shared with the
// reader so that it can tell where a kept chunk is to be written back.

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace quendal::detail {

// The places chunks are written in, in file order: after the header, then
// after each modelled chunk. A kept unknown chunk is written at the place its
// WrittenAfter names; any other text means the last place.
inline constexpr std::array<std::string_view, 11> kPlaces = {"RIFF", "fmt ", "fact", "slnt", "cue ", "plst",
                                                             "LIST", "smpl", "inst", "PAD ", "data"};

inline std::size_t PlaceOf(std::string_view writtenAfter) {
  if (writtenAfter == "list") writtenAfter = "LIST";
  const auto found = std::find(kPlaces.begin(), kPlaces.end(), writtenAfter);
  return found == kPlaces.end() ? kPlaces.size() - 1 : static_cast<std::size_t>(found - kPlaces.begin());
}

}  // namespace quendal::detail
