// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/run_state.h"

namespace ntr {

std::string_view RunStateName(RunState state) {
  switch (state) {
    case RunState::Idle: return "Idle";
    case RunState::Running: return "Running";
    case RunState::SuspendRequested: return "Suspend requested";
    case RunState::Suspended: return "Suspended";
    case RunState::StopRequested: break;
  }
  return "Stop requested";
}

RunControls ControlsFor(RunState state) {
  switch (state) {
    case RunState::Idle: return {"START", true, false, false, true};
    case RunState::Running: return {"SUSPEND", true, true, false, false};
    case RunState::SuspendRequested: return {"SUSPEND", true, true, false, true};
    case RunState::Suspended: return {"SUSPEND", false, true, true, true};
    case RunState::StopRequested: break;
  }
  return {"START", true, false, false, true};
}

}  // namespace ntr
