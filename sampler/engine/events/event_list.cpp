// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/events/event_list.h"

#include <algorithm>

#include "engine/events/note_names.h"
#include "engine/events/take_layers.h"
#include "engine/events/text_numbers.h"

namespace ntr {

void EventList::GenerateEvents(EventSelection& selection, bool clearFirst) {
  NormaliseNumberField(selection.velocity, "127", 0, 127);
  NormaliseNumberField(selection.duration, "2000", 0, 32000);
  NormaliseNumberField(selection.decay, "2000", 0, 32000);

  if (clearFirst) rows_.clear();

  const TakeLayers layers = TakeLayersOf(selection.velocityLayers, selection.roundRobins);

  for (int octave = 0; octave < kOctaveCount; ++octave) {
    if (!selection.octaves[static_cast<std::size_t>(octave)]) continue;
    const OctaveRange range = OctaveNotes(octave);
    for (int note = range.low; note <= range.high; ++note) {
      const auto pitch = static_cast<std::size_t>(note - range.low);
      if (!selection.notes[pitch]) continue;
      const EventRow row{std::string(NoteNames[pitch]) + std::to_string(octave),
                         selection.velocity,
                         selection.channel,
                         selection.duration,
                         selection.decay,
                         std::to_string(note)};
      AppendTakesOfNote(rows_, row, layers);
    }
  }

  slots_ = ParseProgramList(selection.programList);
}

std::int64_t EstimatedRunMillis(const std::string& duration, const std::string& decay, std::size_t rows,
                                int patchCount) {
  const auto millis = [](const std::string& text) {
    // Edited rows aside, the fields hold 0..32000 after normalisation; the
    // clamp only keeps a stray text from leaving the 32-bit range.
    const auto value = ParseNumber(text);
    if (!value) return std::int64_t{0};
    return static_cast<std::int64_t>(std::clamp(RoundHalfEven(*value), -2147483648.0, 2147483647.0));
  };
  const std::int64_t perEvent = millis(duration) + millis(decay);
  return perEvent * patchCount * static_cast<std::int64_t>(rows);
}

std::int64_t EstimatedRunSeconds(const std::string& duration, const std::string& decay, std::size_t rows,
                                 int patchCount) {
  const std::int64_t totalMillis = EstimatedRunMillis(duration, decay, rows, patchCount);
  return static_cast<std::int64_t>(RoundHalfEven(static_cast<double>(totalMillis) / 1000.0));
}

}  // namespace ntr
