// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// FluidSynth reports through a process-wide log. The device layer routes it
// here: errors are kept so that a failure can say why, chatter is dropped.

#include <string>

namespace ntr {

// Installs the handlers once per process (further calls do nothing).
void RouteFluidSynthLog();

// Forgets the kept errors; then the text of errors logged since ("" if none).
void ClearFluidSynthErrors();
std::string FluidSynthErrors();

}  // namespace ntr
