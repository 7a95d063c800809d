// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/leftover_takes.h"

#include <filesystem>
#include <system_error>

#include "engine/takes/sample_paths.h"
#include "quendal/atomic_file.h"

#ifndef _WIN32
#include <unistd.h>
#include <cerrno>
#include <csignal>
#endif

namespace ntr {

namespace {

bool ProcessIsRunning(long process) {
#ifdef _WIN32
  (void)process;
  return false;
#else
  if (process <= 0 || process == static_cast<long>(getpid())) return false;
  return kill(static_cast<pid_t>(process), 0) == 0 || errno == EPERM;
#endif
}

}  // namespace

int RemoveLeftoverTakes(const std::vector<std::string>& folders) {
  int removed = 0;
  for (const std::string& folder : folders) {
    std::error_code error;
    try {
      for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(folder), error)) {
        long process = 0;
        const std::string name = Utf8FromPath(entry.path().filename());
        if (!entry.is_regular_file(error) ||
            !(IsTemporaryRecordingName(name, &process) || quendal::IsTemporaryFileName(name, &process)) ||
            ProcessIsRunning(process)) {
          continue;
        }
        if (std::filesystem::remove(entry.path(), error)) ++removed;
      }
    } catch (const std::filesystem::filesystem_error&) {
      // A folder that cannot be listed to its end keeps the rest: the run does not depend on it.
    }
  }
  return removed;
}

}  // namespace ntr
