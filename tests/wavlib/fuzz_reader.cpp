// libFuzzer target for the reader: any bytes, read through a real file by
// GetWavFile, must end in a result code or a WavError. Anything else (a crash,
// a sanitizer report, another exception, an allocation far larger than the
// input) is a finding. A model read to its end is also written and read back,
// which must end the same way.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "quendal/wav.h"
#include "quendal/wav_errors.h"

namespace {

// One scratch file per fuzzing process, in memory-backed storage when there is some.
// In the folder QUENDALWAV_FUZZ_DIR names (scripts/fuzz-reader makes one and
// removes it), else in the system's temporary folder.
std::string ScratchPath(const char* role) {
  const char* chosen = std::getenv("QUENDALWAV_FUZZ_DIR");
  const auto folder = chosen != nullptr ? std::filesystem::path(chosen) : std::filesystem::temp_directory_path();
  return (folder / ("quendalwav-fuzz-" + std::to_string(getpid()) + "-" + role + ".wav")).string();
}

const std::string& ScratchFile() {
  static const std::string path = ScratchPath("in");
  return path;
}

const std::string& RewrittenFile() {
  static const std::string path = ScratchPath("out");
  return path;
}

struct ScratchRemover {
  ~ScratchRemover() {
    std::remove(ScratchFile().c_str());
    std::remove(RewrittenFile().c_str());
  }
} remover;

// Returns the result code, or -1 for a WavError.
int Read(quendal::Wav& wav, const std::string& path) {
  try {
    const int16_t result = wav.GetWavFile(path);
    if (result < 0 || result > 2) __builtin_trap();
    return result;
  } catch (const quendal::WavError&) {
    return -1;  // an expected, reported failure of a malformed file
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string& path = ScratchFile();
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    if (size > 0) std::fwrite(data, 1, size, file);
    std::fclose(file);
  } else {
    return 0;
  }
  quendal::Wav wav;
  if (Read(wav, path) != 0) return 0;
  try {
    if (wav.PutWavFile(RewrittenFile(), true) != 0) __builtin_trap();
  } catch (const quendal::WavError&) {
    return 0;  // sizes held by the model that no file can have
  }
  quendal::Wav back;
  Read(back, RewrittenFile());
  return 0;
}
