// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finishing a take: the one pass between a raw take in its file and the
// finished take. The raw take is read once into memory, the finishing steps
// (take_finishing_steps.cpp: trim, measure, ...) run in order over its
// samples and its chunk model, the sampler chunk ("smpl") is set, and the
// finished take is written once, replacing the raw one only when complete.
// A step that fails leaves the take as the steps before it made it, with a
// warning; the pass never throws, so a take in its file is never lost.
// Called by the capture between events, on the run's thread.

#include <optional>
#include <string>
#include <vector>

#include "engine/takes/take_analysis.h"
#include "engine/takes/take_looping.h"
#include "engine/takes/take_trimming.h"

namespace quendal {
class Wav;
}

namespace ntr {

// What finishing a take asks for.
struct FinishingRequest {
  int note = 60;                     // the unity note
  bool embedNote = false;            // give the take its sampler chunk
  std::optional<TrimSettings> trim;  // cut it to its sound (none: as recorded)
  double noiseFloorDbfs = kSilenceFloorDbfs;  // the level check's, for the measuring
  // The sampler chunk carries the measured pitch (the unity note and the
  // fraction of a semitone above it), so samplers play the take in tune.
  bool tuneCorrection = false;
  std::optional<LoopSettings> loop{};         // give it a sustain loop (none: no loop search)
};

// One take while it is finished: its model (samples included) and what the
// steps found. A step changes `wav` whole or not at all.
struct TakeBeingFinished {
  const std::string& file;
  const FinishingRequest& request;
  quendal::Wav& wav;
  bool changed = false;               // the samples or chunks differ from the file's
  std::optional<TakeLevels> levels{};  // set by the measuring
  long long framesCut = 0;             // frames the trimming took off the front (less the silence it put there)
  std::optional<TakeLoop> loop{};      // set by the loop search
};

// A finishing step: a plain function over the take. Throws std::exception
// when it cannot do its work (the pass goes on without it).
struct FinishingStep {
  const char* failure;  // the warning's opening words when it throws
  void (*run)(TakeBeingFinished& take);
};

// The steps, in the order they run.
const std::vector<FinishingStep>& FinishingSteps();

struct FinishedTake {
  bool tagged = false;                // the file carries its sampler chunk
  std::optional<TakeLevels> levels;   // none when the take could not be measured
  std::optional<TakeLoop> loop;       // none when no loop was asked for
  std::vector<std::string> warnings;  // what could not be done; the take is in its file all the same
};

// Finishes the raw take at `file` in place.
FinishedTake FinishTake(const std::string& file, const FinishingRequest& request);

}  // namespace ntr
