// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/free_space.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "engine/takes/sample_paths.h"

namespace ntr {

namespace {

// RIFF, "fmt " and "data" headers, and the sampler chunk (with room to spare
// for what a recorder adds, such as a "fact" chunk).
constexpr std::int64_t kHeaderBytes = 64;
constexpr std::int64_t kSamplerChunkBytes = 68;

}  // namespace

std::int64_t TakeBytes(std::int64_t holdMillis, std::int64_t decayMillis, const RecordingFormat& format,
                       bool embedNote) {
  const std::int64_t frameBytes = std::int64_t{format.channels} * ((format.bitsPerSample + 7) / 8);
  const std::int64_t frames = (holdMillis + decayMillis) * format.samplesPerSec / 1000;
  return frames * frameBytes + kHeaderBytes + (embedNote ? kSamplerChunkBytes : 0);
}

std::optional<FreeSpaceShortfall> CheckFreeSpace(const std::string& folder, std::int64_t neededBytes) {
  std::error_code error;
  const std::filesystem::space_info space = std::filesystem::space(PathFromUtf8(folder), error);
  if (error || space.available == static_cast<std::uintmax_t>(-1)) return std::nullopt;
  const auto freeBytes = static_cast<std::int64_t>(space.available);
  if (freeBytes >= neededBytes) return std::nullopt;
  return FreeSpaceShortfall{neededBytes, freeBytes};
}

std::string DescribeBytes(std::int64_t bytes) {
  char text[32];
  const double value = static_cast<double>(bytes);
  if (bytes >= 1000000000) {
    std::snprintf(text, sizeof text, "%.1f GB", value / 1e9);
  } else if (bytes >= 1000000) {
    std::snprintf(text, sizeof text, "%.1f MB", value / 1e6);
  } else {
    std::snprintf(text, sizeof text, "%.0f kB", value / 1e3);
  }
  return text;
}

std::string NotEnoughSpaceMessage(const std::string& folder, const FreeSpaceShortfall& shortfall) {
  return "There is not enough free space for this run in \"" + folder + "\": it needs about " +
         DescribeBytes(shortfall.neededBytes) + ", and " + DescribeBytes(shortfall.freeBytes) + " is free.";
}

}  // namespace ntr
