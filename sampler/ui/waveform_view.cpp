// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/waveform_view.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace ntr::ui {

WaveformView::WaveformView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("waveform"));
  setMinimumHeight(120);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor WaveformView::Background() { return {24, 26, 31}; }
QColor WaveformView::Wave() { return {120, 200, 255}; }
QColor WaveformView::LoopMark() { return {90, 220, 110}; }
QColor WaveformView::NoteOffMark() { return {250, 200, 60}; }
QColor WaveformView::TrimMark() { return {200, 120, 255}; }
QColor WaveformView::ClipMark() { return {240, 60, 60}; }

void WaveformView::SetOverview(std::shared_ptr<const session::TakeOverview> overview, const session::TakeMarks& marks) {
  overview_ = std::move(overview);
  marks_ = marks;
  message_.clear();
  update();
}

void WaveformView::SetMessage(const QString& message) {
  overview_.reset();
  marks_ = {};
  message_ = message;
  update();
}

void WaveformView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), Background());
  const int w = width();
  const int h = height();
  if (!overview_ || overview_->low.empty() || w <= 0) {
    painter.setPen(Qt::gray);
    painter.drawText(rect(), Qt::AlignCenter, message_);
    return;
  }
  const session::TakeOverview& o = *overview_;
  const std::size_t columns = o.low.size();
  const double middle = (h - 1) / 2.0;
  const double seconds = o.Seconds();
  const auto xOf = [w, seconds](double at) {
    return seconds > 0.0 ? static_cast<int>(std::lround(at / seconds * (w - 1))) : 0;
  };

  // Loops first, as a band behind the wave.
  for (const auto& [start, end] : marks_.loops) {
    QColor band = LoopMark();
    band.setAlpha(50);
    painter.fillRect(QRect(QPoint(xOf(start), 0), QPoint(xOf(end), h - 1)), band);
  }

  // Each pixel column takes the extremes of the overview columns under it;
  // every column is at least one pixel high, so silence still shows as a line.
  for (int x = 0; x < w; ++x) {
    const std::size_t from = static_cast<std::size_t>(x) * columns / static_cast<std::size_t>(w);
    const std::size_t to = std::max(from + 1, static_cast<std::size_t>(x + 1) * columns / static_cast<std::size_t>(w));
    float low = 0.0f;
    float high = 0.0f;
    bool clipped = false;
    for (std::size_t c = from; c < std::min(to, columns); ++c) {
      low = std::min(low, o.low[c]);
      high = std::max(high, o.high[c]);
      clipped = clipped || o.clipped[c];
    }
    const int top = static_cast<int>(std::floor(middle - high * middle));
    const int bottom = static_cast<int>(std::ceil(middle - low * middle));
    painter.setPen(Wave());
    painter.drawLine(x, top, x, std::max(bottom, top));
    if (clipped) {
      painter.setPen(ClipMark());
      painter.drawLine(x, 0, x, 3);
      painter.drawLine(x, h - 4, x, h - 1);
    }
  }

  const auto markAt = [&](std::optional<double> at, const QColor& colour, Qt::PenStyle style) {
    if (!at) return;
    painter.setPen(QPen(colour, 1, style));
    painter.drawLine(xOf(*at), 0, xOf(*at), h - 1);
  };
  for (const auto& [start, end] : marks_.loops) {
    markAt(start, LoopMark(), Qt::SolidLine);
    markAt(end, LoopMark(), Qt::SolidLine);
  }
  markAt(marks_.noteOff, NoteOffMark(), Qt::DashLine);
  markAt(marks_.soundStart, TrimMark(), Qt::DotLine);
  markAt(marks_.fadeStart, TrimMark(), Qt::DotLine);
}

}  // namespace ntr::ui
