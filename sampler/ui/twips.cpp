// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/twips.h"

#include <QWidget>
#include <cmath>

namespace ntr::ui {

TwipScale TwipScale::ForWidget(const QWidget& widget) { return TwipScale(widget.logicalDpiY()); }

int TwipScale::ToPixels(double twips) const {
  return static_cast<int>(std::lround(twips * dpi_ / kTwipsPerInch));
}

double TwipScale::ToTwips(double pixels) const { return pixels * kTwipsPerInch / dpi_; }

// Edges are converted, not sizes, so neighbouring controls meet without gaps.
QRect TwipScale::Rect(double left, double top, double width, double height) const {
  const int x = ToPixels(left);
  const int y = ToPixels(top);
  return QRect(x, y, ToPixels(left + width) - x, ToPixels(top + height) - y);
}

}  // namespace ntr::ui
