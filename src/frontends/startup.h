#pragma once
// The program's entry: options, the file-type table and the command line are read, then one
// report runs in batch (-C) or the workspace opens. Returns the process's exit status.

#include "engine/run_state.h"
#include "frontends/command_line.h"

#include <functional>
#include <string>
#include <vector>

namespace brevant {

// The exit statuses: a clean run, a run that logged errors, a run that did not start.
inline constexpr int kExitClean = 0;
inline constexpr int kExitErrorsLogged = 1;
inline constexpr int kExitNotStarted = 2;

// Opens the workspace and returns when its main window has closed (or hands the start over to
// the workspace program, returning only when that fails).
using InteractiveStart =
    std::function<int(const CommandLine &line, const ProgramEnvironment &environment)>;

// Without `interactive` (a build without the workspace) a start without -C only explains itself.
int Startup(const std::vector<std::string> &arguments, const InteractiveStart &interactive = {});

// The folder the program runs from (where kvdconv.cfg and the start-up error log live); for the
// workspace program, the folder of the `brevant` it stands for.
std::string programFolder();
// Where start-up errors are appended: "<program folder>/<program name>.log", or, when the
// program's folder cannot be written, the same name under $XDG_STATE_HOME/brevant/.
std::string startupErrorLogPath();

} // namespace brevant
