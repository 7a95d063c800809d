// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/slider_geometry.h"

#include <algorithm>

#include "engine/events/text_numbers.h"

namespace ntr::session {

int DefaultKnobTop(int slider) {
  const SliderGeometry& g = kSliders.at(static_cast<std::size_t>(slider));
  return static_cast<int>(RoundHalfEven(g.Travel() * 0.7 + g.trackTop));
}

int ClampKnobTop(int slider, double top) {
  const SliderGeometry& g = kSliders.at(static_cast<std::size_t>(slider));
  const double rounded = RoundHalfEven(top);
  return static_cast<int>(std::clamp(rounded, static_cast<double>(g.trackTop), static_cast<double>(g.LowestKnobTop())));
}

int KnobPositionAboveBottom(int slider, int knobTop) {
  const SliderGeometry& g = kSliders.at(static_cast<std::size_t>(slider));
  return g.Travel() - (knobTop - g.trackTop);
}

}  // namespace ntr::session
