// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A take's waveform, drawn column by column from its min/max overview (never
// sample by sample), with its marks: the note off, a trimmed take's onset and
// fade-out, the sampler chunk's loops and where it clips. Shows a line of text
// instead while there is no overview. User-interface thread only.

#include <QString>
#include <QWidget>
#include <memory>

#include "session/take_overview.h"

namespace ntr::ui {

class WaveformView : public QWidget {
  Q_OBJECT
 public:
  explicit WaveformView(QWidget* parent = nullptr);

  void SetOverview(std::shared_ptr<const session::TakeOverview> overview, const session::TakeMarks& marks);
  void SetMessage(const QString& message);  // and no overview
  bool HasOverview() const { return overview_ != nullptr; }

  static QColor Background();
  static QColor Wave();
  static QColor LoopMark();
  static QColor NoteOffMark();
  static QColor TrimMark();
  static QColor ClipMark();

  QSize sizeHint() const override { return {640, 180}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::shared_ptr<const session::TakeOverview> overview_;
  session::TakeMarks marks_;
  QString message_;
};

}  // namespace ntr::ui
