// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_about.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <QPixmap>
#include <QVBoxLayout>

namespace ntr::ui {

namespace {

// The picture: a few piano keys and a sound wave, drawn rather than shipped.
QPixmap AboutPicture(int size) {
  QPixmap picture(size, size);
  picture.fill(QColor(32, 36, 44));
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  const int keyWidth = size / 5;
  const int keyTop = size / 2;
  for (int i = 0; i < 5; ++i) {
    p.setPen(QColor(40, 40, 40));
    p.setBrush(i == 2 ? QColor(245, 176, 60) : QColor(250, 250, 250));
    p.drawRect(i * keyWidth + 1, keyTop, keyWidth - 2, size - keyTop - 4);
  }
  p.setBrush(QColor(15, 15, 15));
  for (const int i : {1, 2, 4}) p.drawRect(i * keyWidth - keyWidth / 3, keyTop, keyWidth * 2 / 3, (size - keyTop) / 2);
  QPainterPath wave;
  wave.moveTo(4, size / 4.0);
  for (int x = 4; x < size - 4; ++x) {
    const double t = (x - 4) / double(size - 8);
    wave.lineTo(x, size / 4.0 - std::sin(t * 6.283 * 3) * (1.0 - t) * size / 6.0);
  }
  p.setPen(QPen(QColor(245, 176, 60), 2.0));
  p.setBrush(Qt::NoBrush);
  p.drawPath(wave);
  return picture;
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("About NTR"));
  setModal(true);

  auto* picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("imgAbout"));
  picture->setPixmap(AboutPicture(96));

  auto* version = new QLabel(QString::fromLatin1(kAboutVersion), this);
  version->setObjectName(QStringLiteral("lbVersion"));
  QFont bold = version->font();
  bold.setBold(true);
  version->setFont(bold);
  auto* purpose = new QLabel(QStringLiteral("Automatic instrument sampler"), this);
  purpose->setObjectName(QStringLiteral("lbPurpose"));
  auto* library = new QLabel(QStringLiteral("WAV files through the QuendalWav library"), this);
  library->setObjectName(QStringLiteral("lbLibrary"));
  auto* hint = new QLabel(QStringLiteral("Press any key or click to close."), this);
  hint->setObjectName(QStringLiteral("lbHint"));
  hint->setStyleSheet(QStringLiteral("color: #707070"));

  auto* texts = new QVBoxLayout;
  texts->addWidget(version);
  texts->addWidget(purpose);
  texts->addWidget(library);
  texts->addStretch();
  texts->addWidget(hint);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(picture, 0, Qt::AlignTop);
  layout->addLayout(texts);
  layout->setSpacing(16);

  for (QLabel* label : findChildren<QLabel*>()) label->installEventFilter(this);
}

void frmAbout::keyReleaseEvent(QKeyEvent*) { accept(); }

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && qobject_cast<QLabel*>(watched)) {
    accept();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace ntr::ui
