// SPDX-License-Identifier: MIT
#pragma once
// Just enough JSON for the tests: parses chunks.json and qwav's output.
// Strings come back as byte strings: \u00XX escapes and two-byte UTF-8
// sequences for U+0080..U+00FF become the single byte they stand for.

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace wavtest {

struct Json {
  enum class Type { Null, Bool, Number, String, Array, Object } type = Type::Null;
  bool boolean = false;
  int64_t number = 0;
  std::string text;
  std::vector<Json> items;                           // Array
  std::vector<std::pair<std::string, Json>> members;  // Object, in file order

  bool Has(const std::string& key) const {
    for (const auto& m : members) {
      if (m.first == key) return true;
    }
    return false;
  }
  const Json& operator[](const std::string& key) const {
    for (const auto& m : members) {
      if (m.first == key) return m.second;
    }
    throw std::out_of_range("no JSON member " + key);
  }
  const Json& operator[](std::size_t i) const { return items.at(i); }
};

class JsonParser {
 public:
  static Json Parse(const std::string& text) {
    JsonParser parser(text);
    Json value = parser.Value();
    parser.Space();
    if (parser.at_ != text.size()) parser.Fail("trailing characters");
    return value;
  }

 private:
  explicit JsonParser(const std::string& text) : s_(text) {}

  [[noreturn]] void Fail(const std::string& what) const {
    throw std::runtime_error("JSON: " + what + " at " + std::to_string(at_));
  }
  void Space() {
    while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\n' || s_[at_] == '\r' || s_[at_] == '\t')) ++at_;
  }
  char Next() {
    if (at_ >= s_.size()) Fail("unexpected end");
    return s_[at_++];
  }
  void Expect(char c) {
    Space();
    if (Next() != c) Fail(std::string("expected ") + c);
  }
  bool Take(const std::string& word) {
    if (s_.compare(at_, word.size(), word) != 0) return false;
    at_ += word.size();
    return true;
  }

  Json Value() {
    Space();
    Json v;
    if (at_ >= s_.size()) Fail("unexpected end");
    const char c = s_[at_];
    if (c == '{') {
      v.type = Json::Type::Object;
      ++at_;
      Space();
      if (s_[at_] == '}') return ++at_, v;
      while (true) {
        Space();
        std::string key = String();
        Expect(':');
        v.members.emplace_back(std::move(key), Value());
        Space();
        const char d = Next();
        if (d == '}') return v;
        if (d != ',') Fail("expected , or }");
      }
    }
    if (c == '[') {
      v.type = Json::Type::Array;
      ++at_;
      Space();
      if (s_[at_] == ']') return ++at_, v;
      while (true) {
        v.items.push_back(Value());
        Space();
        const char d = Next();
        if (d == ']') return v;
        if (d != ',') Fail("expected , or ]");
      }
    }
    if (c == '"') {
      v.type = Json::Type::String;
      v.text = String();
      return v;
    }
    if (Take("true")) return v.type = Json::Type::Bool, v.boolean = true, v;
    if (Take("false")) return v.type = Json::Type::Bool, v;
    if (Take("null")) return v;
    v.type = Json::Type::Number;
    std::size_t used = 0;
    v.number = std::stoll(s_.substr(at_, 24), &used);
    at_ += used;
    return v;
  }

  std::string String() {
    if (Next() != '"') Fail("expected a string");
    std::string out;
    while (true) {
      const auto c = static_cast<unsigned char>(Next());
      if (c == '"') return out;
      if (c == '\\') {
        const char e = Next();
        switch (e) {
          case 'n': out += '\n'; break;
          case 't': out += '\t'; break;
          case 'r': out += '\r'; break;
          case 'b': out += '\b'; break;
          case 'f': out += '\f'; break;
          case 'u': {
            const unsigned code = static_cast<unsigned>(std::stoul(s_.substr(at_, 4), nullptr, 16));
            at_ += 4;
            if (code > 0xFF) Fail("code point above U+00FF");
            out += static_cast<char>(code);
            break;
          }
          default: out += e;
        }
      } else if (c >= 0xC0 && c < 0xC4) {
        out += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(Next()) & 0x3F));
      } else {
        out += static_cast<char>(c);
      }
    }
  }

  const std::string& s_;
  std::size_t at_ = 0;
};

}  // namespace wavtest
