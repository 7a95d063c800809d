#pragma once
// What a run does beyond the window's fields: each member is one setting of a
// settings group of its own. Its stored key, first-start value and what
// `--set` takes are given once, in the session's key table
// (sampler/session/setting_keys.cpp), which fills this struct for the window,
// the batch mode and the run alike. The member initialisers are the values a
// run uses when no session filled it (tests, benchmarks); the key table's
// first-start values match them.

#include <string>

namespace ntr {

struct RunOptions {
  // Takes of the built-in synthesizer rendered at once on virtual time
  // rather than waited out (no effect with any other MIDI output).
  bool renderFast = false;
  // The built-in synthesizer's SoundFont file; empty: the system's General MIDI one.
  std::string soundFont;
  bool operator==(const RunOptions&) const = default;
};

}  // namespace ntr
