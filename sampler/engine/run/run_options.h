// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a run does beyond the window's fields: each member is one setting of a
// settings group of its own. Its stored key, first-start value and what
// `--set` takes are given once, in the session's key table
// (sampler/session/setting_keys.cpp), which fills this struct for the window,
// the batch mode and the run alike. The member initialisers give the plain
// run, as the engine's own tests and benchmarks make it (every feature off);
// the key table's first-start values are what the program starts with.

#include <string>

namespace ntr {

struct RunOptions {
  // Before the first take of each program: the noise floor, then a test note
  // that must sound; eight silent takes in a row are checked with the last
  // note that sounded. Off: a run sends only the notes of its events.
  bool testNotes = false;

  // Takes of the built-in synthesizer rendered at once on virtual time
  // rather than waited out (no effect with any other MIDI output).
  bool renderFast = false;
  // The built-in synthesizer's SoundFont file; empty: the system's General MIDI one.
  std::string soundFont;
  // START skips every event whose file is already a finished take of the
  // run's format (a run that was stopped or killed goes on where it was).
  bool skipTakesAlreadyMade = false;
  // Waited after each program change before the first note of that program,
  // while the synthesizer switches its patch. The session gives the run 0
  // for the built-in synthesizer, which switches at once.
  int pauseAfterProgramChangeMs = 500;
  // The audio input an external instrument is recorded from, as the
  // recorder lists it ("jack:a:x,a:y", "pulse:<source>", "alsa:<device>");
  // empty: the audio system's default. The built-in synthesizer is always
  // recorded from its own output.
  std::string audioInput;

  // Every note recorded once per velocity layer and round, each take in a
  // file of its own (take_layers.h, sample_paths.h). Layers: "" is one layer
  // at the window's Key Velocity, else velocities 1..127 separated by commas
  // ("40,80,127"). Rounds: 1..8.
  std::string velocityLayers;
  int roundRobins = 1;

  // After a run that played, the instrument files (SFZ, DecentSampler,
  // SoundFont 2) of its instrument's folder are written from its takes.
  bool writeInstrumentFiles = false;

  // Every take cut to its sound: from preRollMs before its onset to where it
  // has fallen to the noise floor, faded out over fadeOutMs.
  bool trim = false;
  int preRollMs = 5;
  int fadeOutMs = 10;

  // Every take's sampler chunk carries its measured pitch, and the
  // instrument files correct it (a take more than half a semitone off is
  // left alone: a wrong note, not a tuning).
  bool tuneCorrection = false;
  // "off", or "instrument": one gain for the whole instrument's files brings
  // its loudest take to -1 dBFS; the takes on disk are not touched.
  std::string normalize = "off";
  // "auto": every take gets a sustain loop where its sound is steady while
  // the key is held (take_looping.h), crossfaded over loopCrossfadeMs;
  // "off": no loop search. playMode "one-shot" (drums, percussion): the whole
  // take plays however short the press, and no take is looped; "sustain":
  // the take plays while the key is down, then its recorded release.
  std::string loops = "off";
  int loopCrossfadeMs = 10;
  std::string playMode = "sustain";

  bool operator==(const RunOptions&) const = default;
};

}  // namespace ntr
