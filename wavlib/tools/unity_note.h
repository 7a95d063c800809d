#pragma once
// Gives a recording its unity note: the one place where the sampler chunk of
// a freshly recorded sample is made. Used by the engine's EmbedUnityNote and
// by `qwav set-unity-note`.

#include "quendal/wav.h"

namespace quendal {

// A file that already has a "smpl" chunk keeps all of it except MIDIUnityNote,
// which becomes note. Otherwise the sampler chunk is filled field by field:
// id "smpl", size 36, SamplePeriod the whole nanoseconds per sample of the
// format chunk's rate, MIDIUnityNote note, every other field 0, no loops
// (SamplerData keeps its value). Throws InvalidValueError, changing nothing,
// when the rate is 0 or below; EmptyReferenceError when a chunk is missing.
void ApplyUnityNote(Wav& wav, int note);

}  // namespace quendal
