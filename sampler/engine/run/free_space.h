// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How much disk a run needs, and whether its save folder has it.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/ports.h"

namespace ntr {

// Bytes of one take: (duration + decay) of audio at `format`, plus its
// headers (with the sampler chunk when the note is embedded).
std::int64_t TakeBytes(std::int64_t holdMillis, std::int64_t decayMillis, const RecordingFormat& format,
                       bool embedNote);

struct FreeSpaceShortfall {
  std::int64_t neededBytes = 0;
  std::int64_t freeBytes = 0;
};

// nullopt when the file system of `folder` has `neededBytes` free (or cannot
// tell: the run then goes on as it always did).
std::optional<FreeSpaceShortfall> CheckFreeSpace(const std::string& folder, std::int64_t neededBytes);

// "1.2 GB" / "350 MB" / "12 kB" for messages.
std::string DescribeBytes(std::int64_t bytes);

// The message a refused or questioned run shows.
std::string NotEnoughSpaceMessage(const std::string& folder, const FreeSpaceShortfall& shortfall);

}  // namespace ntr
