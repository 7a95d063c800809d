// SPDX-License-Identifier: MIT
#include "qwav_json.h"

namespace qwav {

std::string JsonBytes(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text = "\"";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '"' || byte == '\\') {
      text += '\\';
      text += static_cast<char>(byte);
    } else if (byte < 0x20 || byte == 0x7F) {
      text += "\\u00";
      text += kHex[byte >> 4];
      text += kHex[byte & 0xF];
    } else if (byte < 0x80) {
      text += static_cast<char>(byte);
    } else {  // U+0080..U+00FF in UTF-8
      text += static_cast<char>(0xC0 | (byte >> 6));
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  text += '"';
  return text;
}

void JsonWriter::Newline() {
  out_ << '\n';
  for (std::size_t i = 0; i < levels_.size(); ++i) out_ << "  ";
}

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (levels_.empty()) return;
  if (!levels_.back().empty) out_ << ',';
  levels_.back().empty = false;
  Newline();
}

void JsonWriter::BeginObject() {
  BeforeValue();
  out_ << '{';
  levels_.push_back({true, true});
}

void JsonWriter::EndObject() {
  const bool empty = levels_.back().empty;
  levels_.pop_back();
  if (!empty) Newline();
  out_ << '}';
  if (levels_.empty()) out_ << '\n';
}

void JsonWriter::BeginArray() {
  BeforeValue();
  out_ << '[';
  levels_.push_back({false, true});
}

void JsonWriter::EndArray() {
  const bool empty = levels_.back().empty;
  levels_.pop_back();
  if (!empty) Newline();
  out_ << ']';
}

void JsonWriter::Key(std::string_view name) {
  BeforeValue();
  out_ << JsonBytes(name) << ": ";
  afterKey_ = true;
}

void JsonWriter::Number(int64_t value) {
  BeforeValue();
  out_ << value;
}

void JsonWriter::Bytes(std::string_view bytes) {
  BeforeValue();
  out_ << JsonBytes(bytes);
}

void JsonWriter::Null() {
  BeforeValue();
  out_ << "null";
}

}  // namespace qwav
