#pragma once
// The interactive start: the only place the executable makes a QApplication, so that a batch
// run (-C) never needs a display.

#include "engine/run_state.h"
#include "frontends/command_line.h"

namespace brevant {

int startWorkspace(const CommandLine &line, const ProgramEnvironment &environment);

} // namespace brevant
