// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/format_seconds.h"

namespace ntr {

std::string FormatSeconds(std::int64_t seconds) {
  std::string hours;
  std::string minutes;
  std::string secs;
  if (seconds > 3600) {
    hours = std::to_string(seconds / 3600);
    seconds %= 3600;
  }
  if (seconds > 60) {
    minutes = std::to_string(seconds / 60);
    seconds %= 60;
  }
  if (seconds != 0) secs = std::to_string(seconds);

  std::string text;
  if (!hours.empty()) text += hours + "h ";
  if (!minutes.empty()) text += minutes + "' ";
  if (!secs.empty()) text += secs + "\"";
  return text;
}

}  // namespace ntr
