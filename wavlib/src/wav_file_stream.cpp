// SPDX-License-Identifier: MIT
#include "wav_file_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <system_error>

#include "quendal/wav_errors.h"

namespace quendal::detail {

namespace {
std::string Reason(int error) { return std::system_category().message(error); }
}  // namespace

WavFileStream::WavFileStream(std::FILE* file, std::string path, int64_t size)
    : file_(file), path_(std::move(path)), size_(size) {}

WavFileStream::~WavFileStream() {
  if (file_ != nullptr) std::fclose(file_);
}

std::unique_ptr<WavFileStream> WavFileStream::Adopt(std::FILE* file, std::string name, int64_t size) {
  if (file == nullptr) throw FileAccessError("cannot open \"" + name + "\": " + Reason(errno));
  return std::unique_ptr<WavFileStream>(new WavFileStream(file, std::move(name), size));
}

std::unique_ptr<WavFileStream> WavFileStream::OpenForReading(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error || !std::filesystem::exists(status)) {
    throw FileAccessError("cannot open \"" + path + "\": " + (error ? error.message() : "no such file"));
  }
  if (std::filesystem::is_directory(status)) {
    throw FileAccessError("cannot open \"" + path + "\": it is a folder, not a file");
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) throw FileAccessError("cannot open \"" + path + "\": " + Reason(errno));
  // The size bounds every read; a file that cannot be measured is refused.
  int64_t size = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
  if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
    std::fclose(file);
    throw FileAccessError("cannot read \"" + path + "\": it is not a regular file that can be measured");
  }
  return std::unique_ptr<WavFileStream>(new WavFileStream(file, path, size));
}

std::unique_ptr<WavFileStream> WavFileStream::CreateNew(const std::filesystem::path& path) {
  errno = 0;
  std::FILE* file = std::fopen(path.string().c_str(), "wbx");
  if (file == nullptr) {
    if (errno == EEXIST) return nullptr;
    throw FileAccessError("cannot create \"" + path.string() + "\": " + Reason(errno));
  }
  return std::unique_ptr<WavFileStream>(new WavFileStream(file, path.string(), 0));
}

std::unique_ptr<WavFileStream> WavFileStream::CreateOrTruncate(const std::filesystem::path& path) {
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  if (file == nullptr) throw FileAccessError("cannot write \"" + path.string() + "\": " + Reason(errno));
  return std::unique_ptr<WavFileStream>(new WavFileStream(file, path.string(), 0));
}

void WavFileStream::CheckWritable(const std::filesystem::path& path) {
  // Opening for appending writes nothing and asks for exactly the right to write.
  std::FILE* file = std::fopen(path.string().c_str(), "ab");
  if (file == nullptr) throw FileAccessError("cannot replace \"" + path.string() + "\": " + Reason(errno));
  std::fclose(file);
}

std::string WavFileStream::Read(int64_t count, std::string_view what) {
  if (count <= 0) return {};
  if (AtEnd()) FailEnd(what);
  const auto wanted = static_cast<std::size_t>(std::min(count, size_ - position_));
  std::string bytes;
  const std::size_t got = wanted < kChunk ? ReadSmall(bytes, wanted) : ReadLarge(bytes, wanted);
  if (got < wanted) {
    if (std::ferror(file_)) FailAccess("read");
    // The file became shorter while being read: what is there is all there is.
    size_ = position_ + static_cast<int64_t>(got);
    if (got == 0) return Read(count, what);
  }
  position_ += static_cast<int64_t>(got);
  return bytes;
}

int64_t WavFileStream::Skip(int64_t count, std::string_view what) {
  if (count <= 0) return 0;
  if (AtEnd()) FailEnd(what);
  const int64_t start = position_;
  SkipTo(position_ + count);
  return position_ - start;
}

std::size_t WavFileStream::ReadSmall(std::string& bytes, std::size_t wanted) {
  bytes.resize(wanted);
  bytes.resize(std::fread(bytes.data(), 1, wanted, file_));
  return bytes.size();
}

// A sample body's memory is written once: by the read itself where the
// string can be sized without zero-filling it, else by appending from a small
// buffer (a string sized first would be zero-filled, then read into).
std::size_t WavFileStream::ReadLarge(std::string& bytes, std::size_t wanted) {
#if defined(__cpp_lib_string_resize_and_overwrite)
  std::size_t got = 0;
  bytes.resize_and_overwrite(wanted, [this, &got](char* buffer, std::size_t size) {
    while (got < size) {
      const std::size_t read = std::fread(buffer + got, 1, size - got, file_);
      if (read == 0) break;
      got += read;
    }
    return got;
  });
  return got;
#else
  bytes.reserve(wanted);
  std::unique_ptr<char[]> chunk(new char[kChunk]);
  while (bytes.size() < wanted) {
    const std::size_t got = std::fread(chunk.get(), 1, std::min(kChunk, wanted - bytes.size()), file_);
    bytes.append(chunk.get(), got);
    if (got == 0) break;
  }
  return bytes.size();
#endif
}

int WavFileStream::Peek() {
  if (AtEnd()) return -1;
  const int byte = std::fgetc(file_);
  if (byte == EOF) {
    if (std::ferror(file_)) FailAccess("read");
    size_ = position_;
    return -1;
  }
  std::ungetc(byte, file_);
  return byte;
}

void WavFileStream::SkipTo(int64_t position) {
  const int64_t target = std::min(position, size_);
  if (target <= position_) return;
  // Seek in steps that fit the C library's long on every platform.
  int64_t distance = target - position_;
  while (distance > 0) {
    const long step = static_cast<long>(std::min<int64_t>(distance, 0x40000000));
    if (std::fseek(file_, step, SEEK_CUR) != 0) FailAccess("seek in");
    distance -= step;
  }
  position_ = target;
}

void WavFileStream::MoveTo(int64_t position) {
  if (position < position_) {
    if (std::fseek(file_, 0, SEEK_SET) != 0) FailAccess("seek in");
    position_ = 0;
  }
  SkipTo(position);
}

void WavFileStream::Write(std::string_view bytes) {
  if (bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) FailAccess("write");
  position_ += static_cast<int64_t>(bytes.size());
  size_ = position_;
}

void WavFileStream::Close() {
  std::FILE* file = file_;
  file_ = nullptr;
  const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
  const int flushError = errno;
  const bool closed = std::fclose(file) == 0;
  if (!flushed || !closed) {
    throw FileAccessError("cannot write \"" + path_ + "\": " + Reason(flushed ? errno : flushError));
  }
}

void WavFileStream::FailEnd(std::string_view what) const {
  throw EndOfFileError("\"" + path_ + "\" ends at byte " + std::to_string(position_) + ", where " + std::string(what) +
                       " should be read");
}

void WavFileStream::FailAccess(std::string_view action) const {
  throw FileAccessError("cannot " + std::string(action) + " \"" + path_ + "\": " + Reason(errno));
}

}  // namespace quendal::detail
