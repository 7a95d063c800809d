// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The note selection drawn as one piano octave: twelve checkable keys chNote0
// (C) .. chNote11 (B). Natural keys are white, sharps black and lie over them;
// a selected key is lit. Each key's "tag" property holds its pitch name.

#include <QAbstractButton>
#include <array>

namespace ntr::ui {

class TwipScale;

class PianoKey : public QAbstractButton {
  Q_OBJECT
 public:
  PianoKey(int pitchClass, QWidget* parent);
  bool IsBlack() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int pitchClass_;
};

// Where key i sits, in twips (top edge 120 for all keys).
struct KeyPlace {
  int left;
  int width;
  int height;
};
KeyPlace PianoKeyPlace(int pitchClass);
inline constexpr int kPianoKeysTop = 120;

// Makes the twelve keys as children of parent, placed in twips (white keys
// first, so the black ones lie over them and take the clicks there).
std::array<PianoKey*, 12> MakePianoKeys(QWidget* parent, const TwipScale& scale);

}  // namespace ntr::ui
