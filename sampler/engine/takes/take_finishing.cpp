// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/takes/take_finishing.h"

#include <cmath>
#include <exception>
#include <stdexcept>

#include "engine/takes/take_pitch.h"

#include "quendal/unity_note.h"
#include "quendal/wav.h"

namespace ntr {

namespace {

void Read(quendal::Wav& wav, const std::string& file) {
  switch (wav.GetWavFile(file)) {
    case 0: return;
    case 1: throw std::runtime_error("\"" + file + "\" is not a RIFF file");
    case 2: throw std::runtime_error("\"" + file + "\" is not a WAVE file");
    default: throw std::runtime_error("\"" + file + "\" could not be read");
  }
}

}  // namespace

FinishedTake FinishTake(const std::string& file, const FinishingRequest& request) {
  FinishedTake finished;
  quendal::Wav wav;
  try {
    Read(wav, file);
  } catch (const std::exception& error) {
    finished.warnings.push_back(std::string("the take could not be finished (it was saved as recorded): ") +
                                error.what());
    return finished;
  }

  TakeBeingFinished take{file, request, wav};
  for (const FinishingStep& step : FinishingSteps()) {
    try {
      step.run(take);
    } catch (const std::exception& error) {
      finished.warnings.push_back(step.failure + std::string(error.what()));
    }
  }
  finished.levels = take.levels;
  const std::optional<double> cents = take.levels ? take.levels->pitchCents : std::nullopt;
  // Only a tuning is corrected; a wrong note is left as it was played.
  const bool tune = request.tuneCorrection && cents && std::fabs(*cents) <= kWrongNoteCents;
  finished.loop = take.loop;

  bool tagged = false;
  if (request.embedNote || tune) {
    try {
      quendal::ApplyUnityNote(wav, request.note);
      if (tune) {
        const SmplPitch pitch = SmplPitchOf(request.note, *cents);
        wav.SmplChunk->MIDIUnityNote = pitch.unityNote;
        wav.SmplChunk->MIDIPitchFraction = pitch.fraction;
      }
      tagged = take.changed = true;
    } catch (const std::exception& error) {
      finished.warnings.push_back(
          std::string("the note could not be embedded (the take was saved without it): the sampler chunk could not "
                      "be made: ") +
          error.what());
    }
  }
  if (!take.changed) return finished;

  // Written beside the raw take and renamed over it: the file holds the raw
  // take or the finished one, never half of either.
  try {
    if (wav.PutWavFile(file, true) != 0) throw std::runtime_error("\"" + file + "\" was not written");
    finished.tagged = tagged;
  } catch (const std::exception& error) {
    finished.warnings.push_back(
        std::string(tagged ? "the note could not be embedded (the take was saved without it): "
                           : "the take could not be trimmed (it was saved as recorded): ") +
        "\"" + file + "\" could not be written: " + error.what());
  }
  return finished;
}

}  // namespace ntr
