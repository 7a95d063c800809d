// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's length unit. Every position and size of the main window is
// laid out in twips (1440 per inch, 15 per pixel at 96 dots per inch), so the
// window keeps its proportions on any screen; the knob positions in the
// settings are twips too. One TwipScale per window, made from its screen.

#include <QRect>

class QWidget;

namespace ntr::ui {

class TwipScale {
 public:
  static constexpr double kTwipsPerInch = 1440.0;

  explicit TwipScale(double dotsPerInch = 96.0) : dpi_(dotsPerInch > 0 ? dotsPerInch : 96.0) {}
  // The scale of the screen the widget is on (its logical DPI).
  static TwipScale ForWidget(const QWidget& widget);

  int ToPixels(double twips) const;
  double ToTwips(double pixels) const;
  QRect Rect(double left, double top, double width, double height) const;

 private:
  double dpi_;
};

}  // namespace ntr::ui
