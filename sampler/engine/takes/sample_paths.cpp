// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/takes/sample_paths.h"

#include <atomic>
#include <cstdio>
#include <random>
#include <system_error>

#include "engine/events/take_layers.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace ntr {

namespace {

std::string CollapseDoubledSeparators(const std::string& path) {
  std::string result;
  result.reserve(path.size());
  std::size_t i = 0;
#ifdef _WIN32
  if (path.size() >= 2 && path[0] == kPathSeparator && path[1] == kPathSeparator) {
    result = path.substr(0, 2);
    i = 2;
  }
#endif
  while (i < path.size()) {
    result += path[i];
    i += (path[i] == kPathSeparator && i + 1 < path.size() && path[i + 1] == kPathSeparator) ? 2 : 1;
  }
  return result;
}

long ProcessId() {
#ifdef _WIN32
  return static_cast<long>(_getpid());
#else
  return static_cast<long>(getpid());
#endif
}

// Drawn once per process: two copies of the program that see the same
// process id (on two machines writing to one network folder) still differ.
unsigned ProcessToken() {
  static const unsigned token = [] {
    std::random_device device;
    return static_cast<unsigned>(device());
  }();
  return token;
}

}  // namespace

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (name.empty()) return path;
  const bool folderEnds = !path.empty() && path.back() == kPathSeparator;
  const bool nameStarts = name.front() == kPathSeparator;
  if (folderEnds && nameStarts) {
    name.remove_prefix(1);
  } else if (!folderEnds && !nameStarts) {
    path += kPathSeparator;
  }
  return path.append(name);
}

std::string InstrumentPath(std::string_view saveFolder, std::string_view instrumentName) {
  std::string name(instrumentName);
  for (char& c : name) {
    if (c == ' ') c = '_';
  }
  return CollapseDoubledSeparators(JoinPath(saveFolder, name));
}

std::string ProgramTag(int program) {
  char text[16];
  std::snprintf(text, sizeof text, "%03d", program);
  return text;
}

std::string ProgramFolder(std::string_view instrumentPath, std::string_view programTag) {
  return JoinPath(instrumentPath, "PATCH_" + std::string(programTag));
}

std::string TargetFile(std::string_view instrumentPath, std::string_view programTag, std::string_view takeName) {
  return JoinPath(ProgramFolder(instrumentPath, programTag),
                  "PATCH" + std::string(programTag) + "_" + std::string(takeName) + ".WAV");
}

std::string TakeName(const EventRow& row) {
  if (!row.Suffixed) return row.Note;
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, "_V%03d", PlayedVelocity(row, 0));
  std::string name = row.Note + suffix;
  if (row.Round > 0) name += "_R" + std::to_string(row.Round);
  return name;
}

std::string TemporaryRecordingPath(std::string_view targetFile) {
  static std::atomic<unsigned long> sequence{0};
  const std::filesystem::path folder = PathFromUtf8(targetFile).parent_path();
  for (;;) {
    char name[80];
    std::snprintf(name, sizeof name, "NTRXXX-%ld-%08x-%lu.tmp", ProcessId(), ProcessToken(), ++sequence);
    const std::filesystem::path candidate = folder / name;
    std::error_code error;
    if (!std::filesystem::exists(candidate, error)) return Utf8FromPath(candidate);
  }
}

namespace {

// Digits (hex: also a-f) up to `end`; at least one.
bool ConsumeDigits(std::string_view& text, char end, bool hex) {
  std::size_t i = 0;
  while (i < text.size() && text[i] != end) {
    const char c = text[i];
    if (!((c >= '0' && c <= '9') || (hex && c >= 'a' && c <= 'f'))) return false;
    ++i;
  }
  if (i == 0 || i == text.size()) return false;
  text.remove_prefix(i + 1);
  return true;
}

}  // namespace

bool IsTemporaryRecordingName(std::string_view fileName, long* process) {
  constexpr std::string_view kPrefix = "NTRXXX-";
  constexpr std::string_view kSuffix = ".tmp";
  if (fileName.size() <= kPrefix.size() + kSuffix.size() || fileName.substr(0, kPrefix.size()) != kPrefix ||
      fileName.substr(fileName.size() - kSuffix.size()) != kSuffix) {
    return false;
  }
  std::string_view rest = fileName.substr(kPrefix.size(), fileName.size() - kPrefix.size() - kSuffix.size() + 1);
  const std::string_view processText = rest.substr(0, rest.find('-'));
  if (!ConsumeDigits(rest, '-', false) || !ConsumeDigits(rest, '-', true) || !ConsumeDigits(rest, '.', false) ||
      !rest.empty() || processText.size() > 9) {
    return false;
  }
  if (process) *process = std::stol(std::string(processText));
  return true;
}

std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace ntr
