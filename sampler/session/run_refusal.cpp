// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/run_refusal.h"

namespace ntr::session {

bool RefusedBeforePlaying(const RunResult& result) {
  // Every outcome is named, so a new one has to be sorted here.
  switch (result.outcome) {
    case RunOutcome::FoldersFailed:
    case RunOutcome::MidiOpenFailed:
    case RunOutcome::NotEnoughSpace:
    case RunOutcome::InputMissing:
      return true;
    case RunOutcome::Completed:
    case RunOutcome::Stopped:
    case RunOutcome::EventFailed:
    case RunOutcome::InstrumentSilent:
    case RunOutcome::CheckCancelled:
      return false;
  }
  return false;
}

}  // namespace ntr::session
