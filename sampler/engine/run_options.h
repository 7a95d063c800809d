#pragma once
// What a run does beyond the window's fields: each member is one setting of a
// settings group of its own. Its stored key, first-start value and what
// `--set` takes are given once, in the session's key table
// (sampler/session/setting_keys.cpp), which fills this struct for the window,
// the batch mode and the run alike. The member initialisers are the values a
// run uses when no session filled it (tests, benchmarks); the key table's
// first-start values match them.

namespace ntr {

struct RunOptions {
  // START skips every event whose file is already a finished take of the
  // run's format (a run that was stopped or killed goes on where it was).
  bool skipTakesAlreadyMade = false;
  // Waited after each program change before the first note of that program,
  // while the synthesizer switches its patch. The session gives the run 0
  // for the built-in synthesizer, which switches at once.
  int pauseAfterProgramChangeMs = 500;

  bool operator==(const RunOptions&) const = default;
};

}  // namespace ntr
