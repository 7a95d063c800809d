// SPDX-License-Identifier: MIT
#include "quendal/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

#include "quendal/wav_errors.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace quendal {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSuffix = ".tmp";
constexpr int kRandomDigits = 12;

long ProcessId() {
#ifdef _WIN32
  return static_cast<long>(_getpid());
#else
  return static_cast<long>(getpid());
#endif
}

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

}  // namespace

fs::path TemporaryPathBeside(const fs::path& target) {
  static constexpr char kHex[] = "0123456789abcdef";
  thread_local std::mt19937_64 random = [] {
    std::random_device seed;
    return std::mt19937_64((uint64_t{seed()} << 32) ^ seed());
  }();
  std::string name = ".";
  name.append(target.filename().string()).append(".").append(std::to_string(ProcessId())).append("-");
  uint64_t bits = random();
  for (int i = 0; i < kRandomDigits; ++i, bits >>= 4) name += kHex[bits & 0xF];
  name.append(kSuffix);
  return target.parent_path() / name;
}

bool IsTemporaryFileName(std::string_view fileName, long* process) {
  // ".<name>.<process>-<hex>.tmp", read from its end: the target's own name may hold dots and dashes.
  if (fileName.size() < 1 + kSuffix.size() || fileName.front() != '.' || !fileName.ends_with(kSuffix)) return false;
  std::string_view rest = fileName.substr(1, fileName.size() - 1 - kSuffix.size());
  if (rest.size() < kRandomDigits + 1) return false;
  const std::string_view random = rest.substr(rest.size() - kRandomDigits);
  for (const char c : random) {
    if (!IsHex(c)) return false;
  }
  rest.remove_suffix(kRandomDigits);
  if (!rest.ends_with('-')) return false;
  rest.remove_suffix(1);
  const std::size_t dot = rest.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == rest.size()) return false;
  long id = 0;
  for (const char c : rest.substr(dot + 1)) {
    if (c < '0' || c > '9' || id > 99999999) return false;
    id = id * 10 + (c - '0');
  }
  if (process != nullptr) *process = id;
  return true;
}

void ReplaceWithTemporary(const fs::path& temporary, const fs::path& target) {
  std::error_code error;
  const auto targetStatus = fs::status(target, error);
  if (!error && fs::exists(targetStatus)) fs::permissions(temporary, targetStatus.permissions(), error);
  // No flush to the disk first: a sampler renames between two notes, and ext4
  // (auto_da_alloc) writes a replaced file's data before the rename anyway.
  fs::rename(temporary, target, error);
  if (error) throw FileAccessError("cannot replace \"" + target.string() + "\": " + error.message());
}

void WriteFileAtomically(const fs::path& target, const std::function<void(const fs::path&)>& write) {
  const fs::path temporary = TemporaryPathBeside(target);
  try {
    write(temporary);
    ReplaceWithTemporary(temporary, target);
  } catch (...) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw;
  }
}

void WriteFileAtomically(const fs::path& target, std::string_view content) {
  WriteFileAtomically(target, [content, &target](const fs::path& temporary) {
    errno = 0;
    std::FILE* file = std::fopen(temporary.string().c_str(), "wbx");
    if (file == nullptr) {
      throw FileAccessError("cannot create \"" + temporary.string() + "\": " + std::generic_category().message(errno));
    }
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    const int writeError = errno;
    if (std::fclose(file) != 0 || !written) {
      throw FileAccessError("cannot write \"" + target.string() +
                            "\": " + std::generic_category().message(written ? errno : writeError));
    }
  });
}

}  // namespace quendal
