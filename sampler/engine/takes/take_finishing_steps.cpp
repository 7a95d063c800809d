// SPDX-License-Identifier: GPL-3.0-or-later
// The finishing steps in the order they run: each is a function of a file of
// its own; a new step is one more line here.
#include "engine/takes/take_finishing.h"

namespace ntr {

void TrimStep(TakeBeingFinished& take);
void LoopStep(TakeBeingFinished& take);
void MeasureStep(TakeBeingFinished& take);
void PitchStep(TakeBeingFinished& take);

const std::vector<FinishingStep>& FinishingSteps() {
  static const std::vector<FinishingStep> steps{
      {"the take could not be trimmed (it was saved as recorded): ", TrimStep},
      {"the take could not be looped: ", LoopStep},
      {"the take could not be measured: ", MeasureStep},
      {"the take's pitch could not be measured: ", PitchStep},
  };
  return steps;
}

}  // namespace ntr
