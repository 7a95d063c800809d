// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/session_settings.h"

#include <QDir>

#include "engine/takes/sample_paths.h"
#include "session/slider_geometry.h"

namespace ntr::session {

QString DefaultSaveFolder() {
#ifdef _WIN32
  return QStringLiteral("C:\\SAMPLES");
#else
  return QString::fromStdString(JoinPath(QDir::homePath().toStdString(), "SAMPLES"));
#endif
}

StoredSettings FirstStartSettings() {
  StoredSettings s;
  s.notes.fill(true);
  s.octaves.fill(true);
  s.channel = QStringLiteral("1");
  s.programs = QStringLiteral("0-127");
  s.velocity = QStringLiteral("127");
  s.duration = QStringLiteral("2000");
  s.decay = QStringLiteral("500");
  s.rate = QLatin1String(kFirstStartRate.shown);
  s.bits = QLatin1String(kFirstStartBits.shown);
  s.channels = QLatin1String(kFirstStartMode.shown);
  s.embedded = false;
  s.gear = QString();
  s.folder = DefaultSaveFolder();
  for (int i = 0; i < kSliderCount; ++i) s.knobTops[static_cast<std::size_t>(i)] = DefaultKnobTop(i);
  return s;
}

QString BoxesText(const bool* boxes, int count) {
  QString text;
  for (int i = 0; i < count; ++i) text += boxes[i] ? QStringLiteral("01") : QStringLiteral("00");
  return text;
}

}  // namespace ntr::session
