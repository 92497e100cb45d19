#pragma once
// The workspace is a program of its own, brevant-workspace, so that `brevant` links no Qt and a
// batch run, --help and --version start without loading it. An interactive start of `brevant`
// replaces the process by brevant-workspace with the same arguments and environment, found
// beside `brevant` (a build folder, an unpacked copy) or in the installed ../libexec/brevant/.

#include "frontends/startup.h"

#include <filesystem>
#include <vector>

namespace brevant {

inline constexpr const char *kWorkspaceProgramName = "brevant-workspace";

// Where brevant-workspace is looked for, in order, for a `brevant` in `launcherFolder`.
std::vector<std::filesystem::path>
workspaceProgramCandidates(const std::filesystem::path &launcherFolder);

// The `brevant` that `program` stands for: itself, unless it is brevant-workspace, which stands
// for the `brevant` beside it or in the installed bin/ folder (so that it finds the program's
// files and names its logs as `brevant` does).
std::filesystem::path launcherOf(const std::filesystem::path &program);

// Runs brevant-workspace in place of this process with `argv` (as main received it). Returns
// only when that fails, after telling why on standard error, with the not-started status.
int execWorkspaceProgram(char **argv);

// The interactive start of `brevant`: execWorkspaceProgram(argv).
InteractiveStart workspaceProgramStart(char **argv);

} // namespace brevant
