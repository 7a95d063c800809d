// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Numbers typed by the user or stored in the event grid are text. These helpers
// decide whether a text is a number and turn it into a whole number the way the
// sampler always has: halves round to the even neighbour (2.5 -> 2, 3.5 -> 4).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ntr {

// Rounds to the nearest whole number, halves to the even neighbour.
double RoundHalfEven(double value);

// The value of a decimal number text: optional blanks around it, an optional
// sign, digits with an optional decimal point, an optional exponent
// ("12", " -3.5 ", "1e3", ".5"). Anything else (empty text, "abc", "1,5",
// "0x10", "inf") gives no value.
std::optional<double> ParseNumber(std::string_view text);

inline bool IsNumeric(std::string_view text) { return ParseNumber(text).has_value(); }

// The text as a whole number (halves to even) when it is numeric and the
// rounded value lies within [lo, hi]; otherwise no value.
std::optional<std::int64_t> WholeNumberInRange(std::string_view text, std::int64_t lo, std::int64_t hi);

// Normalises a number field in place, as event generation does: a text that
// is not numeric becomes defaultText; the value is then rounded (halves to
// even), pulled into [lo, hi] and written back as plain decimal text.
// Returns the value.
std::int64_t NormaliseNumberField(std::string& text, std::string_view defaultText, std::int64_t lo,
                                  std::int64_t hi);

// Removes leading and trailing blanks (spaces only, as the fields are trimmed).
std::string_view TrimBlanks(std::string_view text);

}  // namespace ntr
