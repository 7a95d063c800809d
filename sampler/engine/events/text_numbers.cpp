// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/events/text_numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace ntr {

double RoundHalfEven(double value) {
  const double below = std::floor(value);
  const double fraction = value - below;
  if (fraction < 0.5) return below;
  if (fraction > 0.5) return below + 1.0;
  return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Checks the shape of a decimal number; from_chars alone would accept "inf",
// "nan" and hexadecimal forms.
bool HasDecimalNumberShape(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  return i == s.size();
}

// The value of a number too large or too small for a double: infinity of its
// sign, or zero when it is tiny (a negative exponent, or no whole part).
double Saturated(std::string_view s) {
  const bool negative = s.front() == '-';
  const auto exponent = s.find_first_of("eE");
  const std::string_view mantissa = s.substr(0, exponent);
  const std::string_view whole = mantissa.substr(0, mantissa.find('.'));
  const bool tiny = exponent != std::string_view::npos ? s[exponent + 1] == '-'
                                                       : whole.find_first_not_of("+-0") == std::string_view::npos;
  if (tiny) return 0.0;
  return negative ? -HUGE_VAL : HUGE_VAL;
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text) {
  std::string_view s = text;
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  if (!HasDecimalNumberShape(s)) return std::nullopt;
  if (s.front() == '+') s.remove_prefix(1);
  double value = 0.0;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  // Out of range means a huge or tiny exponent: keep the saturated value.
  if (error != std::errc() && error != std::errc::result_out_of_range) return std::nullopt;
  if (end != s.data() + s.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) value = Saturated(s);
  return value;
}

std::optional<std::int64_t> WholeNumberInRange(std::string_view text, std::int64_t lo, std::int64_t hi) {
  const auto value = ParseNumber(text);
  if (!value) return std::nullopt;
  const double rounded = RoundHalfEven(*value);
  if (rounded < static_cast<double>(lo) || rounded > static_cast<double>(hi)) return std::nullopt;
  return static_cast<std::int64_t>(rounded);
}

std::int64_t NormaliseNumberField(std::string& text, std::string_view defaultText, std::int64_t lo,
                                  std::int64_t hi) {
  auto value = ParseNumber(text);
  if (!value) {
    text = std::string(defaultText);
    value = ParseNumber(text);
  }
  const double rounded = RoundHalfEven(value.value_or(0.0));
  const double limited = std::clamp(rounded, static_cast<double>(lo), static_cast<double>(hi));
  const auto result = static_cast<std::int64_t>(limited);
  text = std::to_string(result);
  return result;
}

}  // namespace ntr
