// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/level_slider.h"

#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstdint>

#include "engine/events/text_numbers.h"
#include "session/run_setup.h"

namespace ntr::ui {

namespace {

// Positions are 16-bit values in twips, as the settings store keeps them.
int ToInt16(double value) {
  return static_cast<int>(std::clamp(RoundHalfEven(value), double{INT16_MIN}, double{INT16_MAX}));
}

}  // namespace

LevelTrack::LevelTrack(LevelSlider& slider, QWidget* parent) : QWidget(parent), slider_(slider) {
  setObjectName(QStringLiteral("lbVolume%1").arg(slider.Index()));
  setCursor(Qt::PointingHandCursor);
}

void LevelTrack::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  p.fillRect(r, QColor(24, 24, 26));
  p.setPen(QColor(110, 110, 110));
  p.drawLine(r.topRight(), r.bottomRight());
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.setPen(QColor(8, 8, 8));
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
}

void LevelTrack::mouseReleaseEvent(QMouseEvent* event) {
  slider_.TrackReleased(slider_.Scale().ToTwips(event->position().y()));
}

LevelKnob::LevelKnob(LevelSlider& slider, QWidget* parent) : QWidget(parent), slider_(slider) {
  setObjectName(QStringLiteral("imgVolume%1").arg(slider.Index()));
  setCursor(Qt::SizeVerCursor);
}

void LevelKnob::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient cap(r.topLeft(), r.bottomLeft());
  const bool grey = !isEnabled();
  cap.setColorAt(0.0, grey ? QColor(200, 200, 200) : QColor(245, 245, 245));
  cap.setColorAt(0.45, grey ? QColor(170, 170, 170) : QColor(190, 190, 194));
  cap.setColorAt(0.55, grey ? QColor(150, 150, 150) : QColor(150, 150, 156));
  cap.setColorAt(1.0, grey ? QColor(130, 130, 130) : QColor(96, 96, 104));
  p.setPen(QPen(QColor(30, 30, 30), 1.0));
  p.setBrush(cap);
  p.drawRoundedRect(r, 2.0, 2.0);
  // The cap's index line, where the level is read against the scale.
  p.setPen(QPen(QColor(200, 30, 20), 1.0));
  const qreal mid = r.center().y();
  p.drawLine(QPointF(r.left() + 2, mid), QPointF(r.right() - 2, mid));
}

void LevelKnob::mousePressEvent(QMouseEvent* event) {
  slider_.KnobPressed(slider_.Scale().ToTwips(event->position().y()));
}

void LevelKnob::mouseMoveEvent(QMouseEvent* event) {
  slider_.KnobMoved(slider_.Scale().ToTwips(event->position().y()));
}

void LevelKnob::mouseReleaseEvent(QMouseEvent*) { slider_.KnobReleased(); }

SliderScale::SliderScale(const TwipScale& scale, QWidget* parent) : QWidget(parent), scale_(scale) {
  setObjectName(QStringLiteral("linScale"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  const int bottom = kScaleFirstY + kScaleStep * (kScaleLines - 1);
  setGeometry(scale_.Rect(kScaleLeft, kScaleFirstY, kScaleRight - kScaleLeft, bottom - kScaleFirstY + 15));
}

void SliderScale::paintEvent(QPaintEvent*) {
  QPainter p(this);
  for (int i = 0; i < kScaleLines; ++i) {
    const int y = scale_.ToPixels(kScaleFirstY + kScaleStep * i) - scale_.ToPixels(kScaleFirstY);
    // Every fifth line (top, middle, bottom) is drawn stronger.
    p.setPen(i % 5 == 0 ? QColor(60, 60, 60) : QColor(140, 140, 140));
    p.drawLine(0, y, width() - 1, y);
  }
}

LevelSlider::LevelSlider(int index, MixerPort& mixer, KnobDrag& drag, const TwipScale& scale, QWidget* parent)
    : QObject(parent), index_(index), mixer_(mixer), drag_(drag), scale_(scale), knobTop_(DefaultKnobTop(index)) {
  const SliderGeometry& g = Geometry();
  track_ = new LevelTrack(*this, parent);
  track_->setGeometry(scale_.Rect(g.trackLeft, g.trackTop, g.trackWidth, g.trackHeight));
  knob_ = new LevelKnob(*this, parent);
  auto* caption = new QLabel(QString::fromLatin1(kSliderCaptions[static_cast<std::size_t>(index)]), parent);
  caption->setObjectName(QStringLiteral("pnlVolume%1").arg(index));
  caption->setAlignment(Qt::AlignCenter);
  caption->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  caption->setGeometry(scale_.Rect(g.captionLeft, kSliderCaptionTop, g.captionWidth, kSliderCaptionHeight));
  PlaceKnob(knobTop_);
}

void LevelSlider::PlaceKnob(int top) {
  knobTop_ = ClampKnobTop(index_, top);
  const SliderGeometry& g = Geometry();
  knob_->setGeometry(scale_.Rect(g.knobLeft, knobTop_, g.knobWidth, g.knobHeight));
  knob_->raise();
}

void LevelSlider::ApplyKnobLevel() {
  session::ApplyKnobLevel(mixer_, index_, knobTop_);
}

void LevelSlider::MoveKnobTo(double top) {
  const SliderGeometry& g = Geometry();
  // The lower end first, then the upper end.
  if (top > g.LowestKnobTop()) top = g.LowestKnobTop();
  if (top < g.trackTop) top = g.trackTop;
  PlaceKnob(static_cast<int>(top));
  ApplyKnobLevel();
}

void LevelSlider::KnobPressed(double y) {
  drag_.dragging = true;
  drag_.grabY = ToInt16(y);
}

void LevelSlider::KnobMoved(double y) {
  if (!drag_.dragging) return;
  MoveKnobTo(ToInt16(y - drag_.grabY + knobTop_));
}

void LevelSlider::KnobReleased() { drag_.dragging = false; }

void LevelSlider::TrackReleased(double y) { MoveKnobTo(RoundHalfEven(Geometry().trackTop + y)); }

}  // namespace ntr::ui
