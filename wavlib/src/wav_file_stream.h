// SPDX-License-Identifier: MIT
#pragma once
// The file a Wav reads or writes, with the few operations the reader and the
// writer need. Each Wav owns at most one of these, only while a read or a
// write runs, so two Wav objects never share or close each other's file.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace quendal::detail {

class WavFileStream {
 public:
  // Opens an existing file for reading; throws FileAccessError.
  static std::unique_ptr<WavFileStream> OpenForReading(const std::string& path);
  // Creates a new file for writing; fails if the name is taken (so a temporary
  // name never clobbers anything). Returns nullptr when the name exists,
  // throws FileAccessError on any other failure.
  static std::unique_ptr<WavFileStream> CreateNew(const std::filesystem::path& path);
  // Creates the file or empties an existing one, for writing in place;
  // throws FileAccessError.
  static std::unique_ptr<WavFileStream> CreateOrTruncate(const std::filesystem::path& path);
  // Takes over a stream the caller opened (the fuzzing targets' streams over
  // memory), `size` bytes long for reading, 0 for writing; throws
  // FileAccessError for a null stream, with errno's reason.
  static std::unique_ptr<WavFileStream> Adopt(std::FILE* file, std::string name, int64_t size);
  // Throws FileAccessError when the existing file cannot be opened for
  // writing by this process (read-only, not the user's); changes nothing.
  static void CheckWritable(const std::filesystem::path& path);

  ~WavFileStream();
  WavFileStream(const WavFileStream&) = delete;
  WavFileStream& operator=(const WavFileStream&) = delete;

  // Reading. The position and the size are known, so no read allocates more
  // than what is left of the file.
  bool AtEnd() const { return position_ >= size_; }
  int64_t Position() const { return position_; }
  // Up to count bytes: fewer when fewer remain, "" for a count of 0 or below.
  // Throws EndOfFileError when count is 1 or more and no byte is left; what
  // names the field being read, for the message.
  std::string Read(int64_t count, std::string_view what);
  // Passes over up to count bytes without reading them, as Read would take
  // them: returns how many the file holds (fewer when it ends first), 0 for a
  // count of 0 or below; throws EndOfFileError as Read does.
  int64_t Skip(int64_t count, std::string_view what);
  // The next byte without taking it, or -1 at the end.
  int Peek();
  // Moves forward to position, or to the end when it lies beyond; never back.
  void SkipTo(int64_t position);
  // Moves to position, also back (to take a chunk read before once more), or
  // to the end when it lies beyond.
  void MoveTo(int64_t position);

  // Writing.
  void Write(std::string_view bytes);
  // Flushes and closes; throws FileAccessError when the data did not reach the file.
  void Close();

 private:
  static constexpr std::size_t kChunk = 256 * 1024;

  WavFileStream(std::FILE* file, std::string path, int64_t size);
  std::size_t ReadSmall(std::string& bytes, std::size_t wanted);
  std::size_t ReadLarge(std::string& bytes, std::size_t wanted);
  [[noreturn]] void FailEnd(std::string_view what) const;
  [[noreturn]] void FailAccess(std::string_view action) const;

  std::FILE* file_;
  std::string path_;
  int64_t position_ = 0;
  int64_t size_ = 0;
};

}  // namespace quendal::detail
