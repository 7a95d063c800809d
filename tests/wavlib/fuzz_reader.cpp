// SPDX-License-Identifier: MIT
// libFuzzer target for the reader: any bytes, read by the library's reader,
// must end in a result code or a WavError. Anything else (a crash, a
// sanitizer report, another exception, an allocation far larger than the
// input) is a finding. A model read to its end is also written and read back,
// which must end the same way. The bytes are read from and written to memory,
// through the same stream operations a file gets, so that a run reaches
// millions of inputs; the file system's side has its own tests.

#include <cstddef>
#include <cstdint>
#include <string>

#include "memory_wav.h"
#include "quendal/wav.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  quendal::Wav wav;
  if (quendal::fuzz::Read(wav, input) != 0) return 0;
  const auto copy = quendal::fuzz::Write(wav);
  if (!copy) return 0;  // sizes held by the model that no file can have
  quendal::Wav back;
  quendal::fuzz::Read(back, *copy);
  return 0;
}
