#pragma once
// The program's entry: options, the file-type table and the command line are read, then one
// report runs in batch (-C). Returns the process's exit status.

#include <string>
#include <vector>

namespace brevant {

int Startup(const std::vector<std::string> &arguments);

// The folder the program runs from (where kvdconv.cfg and the start-up error log live).
std::string programFolder();
// Where start-up errors are appended: "<program folder>/<program name>.log", or, when the
// program's folder cannot be written, the same name under $XDG_STATE_HOME/brevant/.
std::string startupErrorLogPath();

} // namespace brevant
