// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/events/event_row.h"

namespace ntr {

const std::string& EventRow::Cell(EventColumn column) const {
  switch (column) {
    case EventColumn::Note: return Note;
    case EventColumn::Vel: return Vel;
    case EventColumn::Chn: return Chn;
    case EventColumn::Time: return Time;
    case EventColumn::Decay: return Decay;
    case EventColumn::Number: break;
  }
  return Number;
}

std::string& EventRow::Cell(EventColumn column) {
  return const_cast<std::string&>(static_cast<const EventRow&>(*this).Cell(column));
}

std::string EventRow::ToTabText() const {
  return Note + '\t' + Vel + '\t' + Chn + '\t' + Time + '\t' + Decay + '\t' + Number;
}

EventRow EventRow::FromTabText(std::string_view text) {
  EventRow row;
  for (int column = 0; column < kEventColumnCount; ++column) {
    const auto tab = text.find('\t');
    row.Cell(static_cast<EventColumn>(column)) = std::string(text.substr(0, tab));
    if (tab == std::string_view::npos) break;
    text.remove_prefix(tab + 1);
  }
  return row;
}

}  // namespace ntr
