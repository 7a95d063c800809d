// SPDX-License-Identifier: MIT
#include "quendal/unity_note.h"

#include <cmath>
#include <string>

#include "quendal/wav_errors.h"

namespace quendal {

void ApplyUnityNote(Wav& wav, int note) {
  if (!wav.SmplChunk) throw EmptyReferenceError("SmplChunk holds no object, so no unity note can be set");
  WavSmpl& smpl = *wav.SmplChunk;
  if (smpl.ChunkId == "smpl") {
    smpl.MIDIUnityNote = note;
    return;
  }
  if (!wav.Fmt_Chunk) throw EmptyReferenceError("Fmt_Chunk holds no object, so the sample period is unknown");
  if (!smpl.WavSmplLoops) throw EmptyReferenceError("SmplChunk.WavSmplLoops holds no object");
  const int32_t rate = wav.Fmt_Chunk->SampleRate;
  if (rate <= 0) {
    throw InvalidValueError("the sample rate of the format chunk is " + std::to_string(rate) +
                            ", so the sampler chunk's sample period cannot be computed");
  }
  // Nanoseconds per sample, fraction dropped: 44100 Hz gives 22675, not 22676.
  const double period = std::trunc(1000000000.0 / static_cast<double>(rate));
  smpl.ChunkId = "smpl";
  smpl.ChunkSize = 36;
  smpl.Manufacturer = 0;
  smpl.Product = 0;
  smpl.SamplePeriod = static_cast<int32_t>(period);
  smpl.MIDIUnityNote = note;
  smpl.MIDIPitchFraction = 0;
  smpl.SMPTEFormat = 0;
  smpl.SMPTEOffset = 0;
  smpl.SampleLoopsNumber = 0;
  smpl.WavSmplLoops->RemoveAll();
}

}  // namespace quendal
