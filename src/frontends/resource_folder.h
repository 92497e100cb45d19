#pragma once
// Where the program's own files (kvdconv.cfg, kvdtips.txt, help/, the icon) are found: beside
// the executable, as in a build folder or an unpacked copy, or else in the installed data
// folder "../share/brevant" next to the executable's bin/ folder.

#include <string>

namespace brevant {

// The folder to read the resources from, for an executable in `executableFolder`. When neither
// folder holds them the executable's own folder is named, so that messages point there.
std::string resourceFolderFor(const std::string &executableFolder);

} // namespace brevant
