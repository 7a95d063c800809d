// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the progress display needs to know about where stdout goes.

#include <cstdio>

namespace ntr::batch {

// True when the stream is a terminal (the bar is drawn there; plain lines elsewhere).
bool IsTerminal(std::FILE* stream);
// The terminal's width in columns (COLUMNS, else 80, when it cannot be asked).
int TerminalColumns(std::FILE* stream);

}  // namespace ntr::batch
