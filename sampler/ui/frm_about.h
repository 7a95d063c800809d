// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// frmAbout: the program's name and version. Releasing any key in it, or a
// click on its picture or any of its labels, closes it.

#include <QDialog>

namespace ntr::ui {

inline constexpr const char* kAboutVersion = "NTR - Notarra - vers. 1.0 (Build 5 - Jan 2004)";

class frmAbout : public QDialog {
  Q_OBJECT
 public:
  explicit frmAbout(QWidget* parent = nullptr);

 protected:
  void keyReleaseEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace ntr::ui
