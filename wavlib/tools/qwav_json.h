// SPDX-License-Identifier: MIT
#pragma once
// A small JSON emitter for qwav's output: objects, arrays, integers and byte
// strings. A byte string is written so that byte value b becomes the
// character U+00b, which keeps every byte of a chunk id or text visible.

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace qwav {

class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}

  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  // The name of the next member of the current object.
  void Key(std::string_view name);
  void Number(int64_t value);
  void Bytes(std::string_view bytes);
  void Null();

 private:
  void BeforeValue();
  void Newline();

  std::ostream& out_;
  struct Level {
    bool isObject;
    bool empty;
  };
  std::vector<Level> levels_;
  bool afterKey_ = false;
};

// The JSON string literal of a byte string (quotes included).
std::string JsonBytes(std::string_view bytes);

}  // namespace qwav
