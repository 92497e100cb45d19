#pragma once
// The program's entry: options, the file-type table and the command line are read, then one
// report runs in batch (-C) or the workspace opens. Returns the process's exit status.

#include "engine/run_state.h"
#include "frontends/command_line.h"

#include <string>
#include <vector>

namespace brevant {

// Opens the workspace and returns when its main window has closed.
using InteractiveStart = int (*)(const CommandLine &line, const ProgramEnvironment &environment);

// Without `interactive` (a build without the workspace) a start without -C only explains itself.
int Startup(const std::vector<std::string> &arguments, InteractiveStart interactive = nullptr);

// The folder the program runs from (where kvdconv.cfg and the start-up error log live).
std::string programFolder();
// Where start-up errors are appended: "<program folder>/<program name>.log", or, when the
// program's folder cannot be written, the same name under $XDG_STATE_HOME/brevant/.
std::string startupErrorLogPath();

} // namespace brevant
