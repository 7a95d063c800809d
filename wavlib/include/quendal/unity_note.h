// SPDX-License-Identifier: MIT
#pragma once
// Tagging a sample with the key it was played at: the sampler chunk ("smpl")
// that software samplers read to map a sample to the right key.

#include "quendal/wav.h"
#include "quendal/wav_export.h"

namespace quendal {

// A model that already has a "smpl" chunk keeps all of it except
// MIDIUnityNote, which becomes note. Otherwise the sampler chunk is filled
// field by field: id "smpl", size 36, SamplePeriod the whole nanoseconds per
// sample of the format chunk's rate (22675 at 44100 Hz), MIDIUnityNote note,
// every other field 0, no loops (SamplerData keeps its value). Written, the
// new chunk stands between the format chunk and the data chunk. Throws
// InvalidValueError, changing nothing, when the rate is 0 or below;
// EmptyReferenceError when a chunk it needs holds no object.
QUENDAL_WAV_API void ApplyUnityNote(Wav& wav, int note);

}  // namespace quendal
