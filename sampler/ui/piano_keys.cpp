// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/piano_keys.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "engine/events/note_names.h"
#include "ui/twips.h"

namespace ntr::ui {

namespace {

constexpr std::array<bool, 12> kBlack = {false, true, false, true, false, false,
                                         true,  false, true, false, true, false};
constexpr std::array<int, 12> kLeft = {360, 555, 720, 930, 1080, 1440, 1635, 1800, 1995, 2160, 2355, 2520};

// A selected key glows amber, as a lit key on an instrument's panel.
const QColor kLitWhiteTop(255, 246, 220);
const QColor kLitWhiteBottom(248, 196, 100);
const QColor kLitBlackTop(120, 84, 36);
const QColor kLitBlackBottom(196, 120, 24);

}  // namespace

KeyPlace PianoKeyPlace(int pitchClass) {
  const auto i = static_cast<std::size_t>(pitchClass);
  return kBlack.at(i) ? KeyPlace{kLeft[i], 315, 735} : KeyPlace{kLeft[i], 375, 1035};
}

PianoKey::PianoKey(int pitchClass, QWidget* parent) : QAbstractButton(parent), pitchClass_(pitchClass) {
  setCheckable(true);
  setFocusPolicy(Qt::TabFocus);
  const QString name = QString::fromLatin1(NoteNames.at(static_cast<std::size_t>(pitchClass)).data(),
                                           static_cast<qsizetype>(NoteNames[static_cast<std::size_t>(pitchClass)].size()));
  setObjectName(QStringLiteral("chNote%1").arg(pitchClass));
  setProperty("tag", name);
  setText(name);
  setAccessibleName(name);
  setToolTip(name);
}

bool PianoKey::IsBlack() const { return kBlack.at(static_cast<std::size_t>(pitchClass_)); }

void PianoKey::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  const qreal radius = std::max<qreal>(2.0, r.width() / 8.0);
  // Keys hang from the keyboard's top edge: square above, rounded below.
  QPainterPath shape;
  shape.moveTo(r.topLeft());
  shape.lineTo(r.topRight());
  shape.lineTo(r.right(), r.bottom() - radius);
  shape.quadTo(r.bottomRight(), QPointF(r.right() - radius, r.bottom()));
  shape.lineTo(r.left() + radius, r.bottom());
  shape.quadTo(r.bottomLeft(), QPointF(r.left(), r.bottom() - radius));
  shape.closeSubpath();

  QLinearGradient fill(r.topLeft(), r.bottomLeft());
  const bool lit = isChecked();
  if (IsBlack()) {
    fill.setColorAt(0.0, lit ? kLitBlackTop : QColor(60, 60, 64));
    fill.setColorAt(1.0, lit ? kLitBlackBottom : QColor(12, 12, 14));
  } else {
    fill.setColorAt(0.0, lit ? kLitWhiteTop : QColor(255, 255, 255));
    fill.setColorAt(1.0, lit ? kLitWhiteBottom : QColor(226, 226, 222));
  }
  if (!isEnabled()) {
    fill.setColorAt(0.0, IsBlack() ? QColor(90, 90, 92) : QColor(236, 236, 236));
    fill.setColorAt(1.0, IsBlack() ? QColor(70, 70, 72) : QColor(214, 214, 214));
    if (lit) fill.setColorAt(1.0, IsBlack() ? QColor(130, 100, 60) : QColor(226, 206, 160));
  }
  p.setPen(QPen(QColor(40, 40, 40), 1.0));
  p.setBrush(fill);
  p.drawPath(shape);

  if (isDown()) p.fillPath(shape, QColor(0, 0, 0, 40));
  if (hasFocus()) {
    p.setPen(QPen(palette().highlight().color(), 1.0, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(2, 2, -2, -2));
  }

  // The pitch name at the foot of each white key, dark on light.
  if (!IsBlack()) {
    QFont f = font();
    f.setPointSizeF(std::max(6.0, f.pointSizeF() - 1.0));
    p.setFont(f);
    p.setPen(isEnabled() ? QColor(70, 70, 70) : QColor(150, 150, 150));
    p.drawText(r.adjusted(0, 0, 0, -3), Qt::AlignHCenter | Qt::AlignBottom, text());
  }
}

std::array<PianoKey*, 12> MakePianoKeys(QWidget* parent, const TwipScale& scale) {
  std::array<PianoKey*, 12> keys{};
  for (const bool black : {false, true}) {
    for (int i = 0; i < 12; ++i) {
      if (kBlack[static_cast<std::size_t>(i)] != black) continue;
      auto* key = new PianoKey(i, parent);
      const KeyPlace place = PianoKeyPlace(i);
      key->setGeometry(scale.Rect(place.left, kPianoKeysTop, place.width, place.height));
      keys[static_cast<std::size_t>(i)] = key;
    }
  }
  return keys;
}

}  // namespace ntr::ui
