// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three recording-level sliders: track lbVolume(i), knob imgVolume(i),
// and the scale lines behind them. The knob's top, in twips, is the level's
// record; every change of it sends the level to the mixer at once.
//
// Mouse handling: pressing a knob starts a drag (one drag state for all three
// knobs), moving while dragging moves the knob with the pointer within its
// track, releasing ends it; releasing the button over a track puts the knob's
// top edge at the pointer. Any mouse button will do. User-interface thread only.

#include <QWidget>

#include "engine/ports.h"
#include "session/slider_geometry.h"
#include "ui/twips.h"

namespace ntr::ui {

// Where the sliders sit is the session's: the stored levels depend on it.
using session::ClampKnobTop;
using session::DefaultKnobTop;
using session::kScaleFirstY;
using session::kScaleLeft;
using session::kScaleLines;
using session::kScaleRight;
using session::kScaleStep;
using session::kSliderCaptionHeight;
using session::kSliderCaptions;
using session::kSliderCaptionTop;
using session::kSliderCount;
using session::kSliders;
using session::SliderGeometry;

// Shared by the three knobs: a drag is either in progress or not.
struct KnobDrag {
  bool dragging = false;  // KnobDragging
  int grabY = 0;          // KnobGrabY: where in the knob the pointer went down, twips
};

class LevelSlider;

// The track: a narrow groove; a release on it moves the knob there.
class LevelTrack : public QWidget {
  Q_OBJECT
 public:
  LevelTrack(LevelSlider& slider, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  LevelSlider& slider_;
};

// The knob: a fader cap that slides along its track.
class LevelKnob : public QWidget {
  Q_OBJECT
 public:
  LevelKnob(LevelSlider& slider, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  LevelSlider& slider_;
};

// The eleven scale lines across all three sliders; lies behind them and takes no clicks.
class SliderScale : public QWidget {
  Q_OBJECT
 public:
  SliderScale(const TwipScale& scale, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TwipScale scale_;
};

class LevelSlider : public QObject {
  Q_OBJECT
 public:
  // Makes the track, the knob and the caption of slider index in parent (the
  // window's form, whose origin the twips are measured from).
  LevelSlider(int index, MixerPort& mixer, KnobDrag& drag, const TwipScale& scale, QWidget* parent);

  int Index() const { return index_; }
  const SliderGeometry& Geometry() const { return kSliders[static_cast<std::size_t>(index_)]; }
  int KnobTop() const { return knobTop_; }
  // Puts the knob's top there (kept on the track) without sending a level.
  void PlaceKnob(int top);
  // Sends the level the knob's position stands for (ApplyKnobLevel).
  void ApplyKnobLevel();

  LevelTrack* Track() const { return track_; }
  LevelKnob* Knob() const { return knob_; }
  const TwipScale& Scale() const { return scale_; }

  // The mouse handlers, with the pointer's Y in twips from the top of the widget that got the event.
  void KnobPressed(double y);
  void KnobMoved(double y);
  void KnobReleased();
  void TrackReleased(double y);

 private:
  void MoveKnobTo(double top);

  int index_;
  MixerPort& mixer_;
  KnobDrag& drag_;
  TwipScale scale_;
  int knobTop_;
  LevelTrack* track_;
  LevelKnob* knob_;
};

}  // namespace ntr::ui
