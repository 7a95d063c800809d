// SPDX-License-Identifier: MIT
#pragma once
// Helpers for the library tests: byte builders for hand-made WAV files and a
// temporary folder that cleans up after itself.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace wavtest {

namespace fs = std::filesystem;

inline std::string U32(uint32_t v) {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return b;
}

inline std::string U16(uint16_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

// A chunk whose size field is the body's length (no pad byte).
inline std::string Chunk(const std::string& id, const std::string& body) {
  return id + U32(static_cast<uint32_t>(body.size())) + body;
}

// A chunk whose size field says size, whatever the body holds.
inline std::string ChunkSized(const std::string& id, uint32_t size, const std::string& body) {
  return id + U32(size) + body;
}

// A RIFF WAVE file around the given chunks, with the RIFF size they make.
inline std::string Riff(const std::string& chunks) { return "RIFF" + U32(static_cast<uint32_t>(chunks.size() + 4)) + "WAVE" + chunks; }

// The 16-byte body of a PCM format chunk.
inline std::string FmtBody(uint16_t channels, uint32_t rate, uint16_t bits) {
  const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
  return U16(1) + U16(channels) + U32(rate) + U32(rate * align) + U16(align) + U16(bits);
}

inline std::string Bytes(std::size_t count, unsigned seed = 1) {
  std::mt19937 random(seed);
  std::string bytes(count, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

// The 44-byte start of a 16-bit mono 44100 Hz file with 2048 sample bytes.
inline std::string Example44() {
  const unsigned char bytes[] = {0x52, 0x49, 0x46, 0x46, 0x24, 0x08, 0x00, 0x00, 0x57, 0x41, 0x56, 0x45,
                                 0x66, 0x6D, 0x74, 0x20, 0x10, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00,
                                 0x44, 0xAC, 0x00, 0x00, 0x88, 0x58, 0x01, 0x00, 0x02, 0x00, 0x10, 0x00,
                                 0x64, 0x61, 0x74, 0x61, 0x00, 0x08, 0x00, 0x00};
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

inline uint32_t U32At(const std::string& bytes, std::size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v * 256 + static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  return v;
}

// The top-level chunks of a RIFF file as (id, body as far as the file has
// it), walked by their sizes and pad bytes: an independent view of a file.
inline std::vector<std::pair<std::string, std::string>> TopLevelChunks(const std::string& bytes) {
  std::vector<std::pair<std::string, std::string>> chunks;
  for (std::size_t at = 12; at + 8 <= bytes.size();) {
    const uint32_t size = U32At(bytes, at + 4);
    chunks.emplace_back(bytes.substr(at, 4), bytes.substr(at + 8, size));
    at += 8 + static_cast<std::size_t>(size) + size % 2;
  }
  return chunks;
}

inline std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
 public:
  TempDir() {
    std::random_device seed;
    path_ = fs::temp_directory_path() / ("quendalwav-test-" + std::to_string(seed()) + std::to_string(seed()));
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const fs::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Writes bytes to a new file in the folder and returns its path.
  std::string Put(const std::string& name, const std::string& bytes) const {
    WriteAll(path_ / name, bytes);
    return File(name);
  }
  std::size_t EntryCount() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(path_), fs::directory_iterator()));
  }

 private:
  fs::path path_;
};

}  // namespace wavtest
