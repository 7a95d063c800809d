// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the three recording-level sliders sit in the main window, in twips.
// Slider i pairs track lbVolume(i) with knob imgVolume(i): 0 line input,
// 1 microphone, 2 output volume. The knob's top edge is the record of the
// level (stored in the settings); it travels from the track's top (loudest)
// to the track's top + travel (quietest).

#include <array>

namespace ntr::session {

inline constexpr int kSliderCount = 3;

struct SliderGeometry {
  int trackLeft;
  int trackTop;
  int trackWidth;
  int trackHeight;
  int knobLeft;
  int knobWidth;
  int knobHeight;
  int captionLeft;
  int captionWidth;

  constexpr int Travel() const { return trackHeight - knobHeight; }
  constexpr int LowestKnobTop() const { return trackTop + Travel(); }
};

inline constexpr std::array<SliderGeometry, kSliderCount> kSliders = {{
    {7575, 4260, 60, 1335, 7440, 330, 180, 7320, 600},
    {8235, 4260, 60, 1335, 8100, 330, 180, 7980, 600},
    {9135, 4260, 60, 1335, 9000, 330, 180, 8820, 645},
}};

inline constexpr std::array<const char*, kSliderCount> kSliderCaptions = {" Line In ", "Mic", " Volume "};

inline constexpr int kSliderCaptionTop = 5640;
inline constexpr int kSliderCaptionHeight = 285;

// Eleven scale lines cross all three sliders.
inline constexpr int kScaleLeft = 7335;
inline constexpr int kScaleRight = 9420;
inline constexpr int kScaleFirstY = 4320;
inline constexpr int kScaleStep = 120;
inline constexpr int kScaleLines = 11;

// The knob's top at 70 % of its travel below the track's top: where a knob
// sits before any settings are stored. (1155 x 0.7 + 4260 = 5068.5, halves to even.)
int DefaultKnobTop(int slider);

// Keeps a knob top on its track (between the track's top and its lowest position).
int ClampKnobTop(int slider, double top);

// The knob's distance above its lowest position, as the mixer takes it.
int KnobPositionAboveBottom(int slider, int knobTop);

}  // namespace ntr::session
