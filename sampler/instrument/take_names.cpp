// SPDX-License-Identifier: GPL-3.0-or-later
#include "instrument/take_names.h"

#include <cctype>

#include "engine/events/note_names.h"

namespace ntr::instrument {

namespace {

bool IsDigits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

bool EndsWithWav(std::string_view name) {
  constexpr std::string_view kExtension = ".wav";
  if (name.size() <= kExtension.size()) return false;
  const std::string_view end = name.substr(name.size() - kExtension.size());
  for (std::size_t i = 0; i < end.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(end[i])) != kExtension[i]) return false;
  }
  return true;
}

// Takes "_<letter><digits>" off the end of `stem`; the number, or nullopt
// (stem unchanged) when the end is not of that form or the digits are too few or too many.
std::optional<int> TakeSuffix(std::string_view& stem, char letter, std::size_t minDigits, std::size_t maxDigits) {
  const std::size_t mark = stem.rfind('_');
  if (mark == std::string_view::npos || mark + 2 > stem.size() || stem[mark + 1] != letter) return std::nullopt;
  const std::string_view digits = stem.substr(mark + 2);
  if (!IsDigits(digits) || digits.size() < minDigits || digits.size() > maxDigits) return std::nullopt;
  stem = stem.substr(0, mark);
  return std::stoi(std::string(digits));
}

}  // namespace

std::optional<int> NoteOfName(std::string_view noteName) {
  for (int pitch = 11; pitch >= 0; --pitch) {  // "C#" before "C"
    const std::string_view name = NoteNames[static_cast<std::size_t>(pitch)];
    if (noteName.substr(0, name.size()) != name) continue;
    const std::string_view octave = noteName.substr(name.size());
    if (!IsDigits(octave) || octave.size() > 2 || (octave.size() == 2 && octave[0] == '0')) return std::nullopt;
    const int note = std::stoi(std::string(octave)) * 12 + pitch;
    if (note > 127) return std::nullopt;
    return note;
  }
  return std::nullopt;
}

std::optional<TakeName> ParseTakeName(std::string_view fileName) {
  constexpr std::string_view kPrefix = "PATCH";
  if (!EndsWithWav(fileName) || fileName.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
  std::string_view stem = fileName.substr(kPrefix.size(), fileName.size() - kPrefix.size() - 4);

  TakeName take;
  const std::optional<int> round = TakeSuffix(stem, 'R', 1, 3);
  const std::optional<int> velocity = TakeSuffix(stem, 'V', 3, 3);
  if (round && (!velocity || *round < 1)) return std::nullopt;  // "_R" comes only after "_V"
  if (velocity && *velocity > 127) return std::nullopt;
  take.velocity = velocity;
  take.round = round.value_or(1);

  const std::size_t mark = stem.find('_');
  if (mark == std::string_view::npos) return std::nullopt;
  take.programTag = std::string(stem.substr(0, mark));
  take.noteName = std::string(stem.substr(mark + 1));
  if (take.programTag != "XXX" && !(IsDigits(take.programTag) && take.programTag.size() >= 3)) return std::nullopt;
  const std::optional<int> note = NoteOfName(take.noteName);
  if (!note) return std::nullopt;
  take.note = *note;
  return take;
}

}  // namespace ntr::instrument
