// SPDX-License-Identifier: MIT
#include "quendal/qd_wav_module.h"

#include "quendal/wav_errors.h"

namespace quendal::QDWavModule {

int32_t BytesToLong(std::string_view bytes) {
  uint64_t value = 0;
  for (std::size_t position = bytes.size(); position-- > 0;) {
    value = value * 256 + static_cast<unsigned char>(bytes[position]);
    if (value > 2147483647u) {
      throw OverflowError("the number in a " + std::to_string(bytes.size()) +
                          "-byte field is 2147483648 or more and does not fit a 32-bit signed integer");
    }
  }
  return static_cast<int32_t>(value);
}

std::string LongToBytes(int32_t value, int width) {
  std::string bytes(width > 0 ? static_cast<std::size_t>(width) : 0, '\0');
  uint32_t rest = value > 0 ? static_cast<uint32_t>(value) : 0;
  for (char& byte : bytes) {
    byte = static_cast<char>(rest & 0xFF);
    rest >>= 8;
  }
  return bytes;
}

std::string CompressionDesc(int32_t compressionCode) {
  switch (compressionCode) {
    case 1: return "PCM / uncompressed";
    case 2: return "Microsoft ADPCM";
    case 6: return "ITU G.711 a-law";
    case 7: return "ITU G.711 m-law";
    case 17: return "IMA ADPCM";
    case 20: return "ITU G.723 ADPCM (Yamaha)";
    case 49: return "GSM 6.10";
    case 64: return "ITU G.721 ADPCM";
    case 80: return "MPEG";
    case 65535: return "Experimental";
    default: return "Unknown";
  }
}

}  // namespace quendal::QDWavModule
