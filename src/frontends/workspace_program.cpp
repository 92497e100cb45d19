#include "frontends/workspace_program.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

// Relative install folders from GNUInstallDirs (src/frontends/CMakeLists.txt).
#ifndef BREVANT_WORKSPACE_FROM_BINDIR
#define BREVANT_WORKSPACE_FROM_BINDIR "../libexec/brevant"
#endif
#ifndef BREVANT_BINDIR_FROM_WORKSPACE
#define BREVANT_BINDIR_FROM_WORKSPACE "../../bin"
#endif

namespace brevant {
namespace {

namespace fs = std::filesystem;

bool isFile(const fs::path &path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

} // namespace

std::vector<fs::path> workspaceProgramCandidates(const fs::path &launcherFolder) {
  return {
      launcherFolder / kWorkspaceProgramName,
      (launcherFolder / BREVANT_WORKSPACE_FROM_BINDIR / kWorkspaceProgramName).lexically_normal()};
}

fs::path launcherOf(const fs::path &program) {
  if (program.filename() != kWorkspaceProgramName)
    return program;
  const fs::path beside = program.parent_path() / "brevant";
  const fs::path installed =
      (program.parent_path() / BREVANT_BINDIR_FROM_WORKSPACE / "brevant").lexically_normal();
  return !isFile(beside) && isFile(installed) ? installed : beside;
}

int execWorkspaceProgram(char **argv) {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) {
    std::cerr << "brevant: the workspace program cannot be found: \"/proc/self/exe\" cannot be "
                 "read: "
              << ec.message() << ".\n";
    return kExitNotStarted;
  }
  // Nothing written so far may be lost with this process's buffers.
  std::cout.flush();
  std::fflush(nullptr);
  std::string tried;
  for (const fs::path &candidate : workspaceProgramCandidates(self.parent_path())) {
    ::execv(candidate.c_str(), argv);
    const int error = errno;
    tried +=
        (tried.empty() ? "" : ", ") + ("\"" + candidate.string() + "\": ") + std::strerror(error);
    if (error != ENOENT)
      break; // it is there but cannot run: another copy would hide the fault
  }
  std::cerr << "brevant: the workspace program cannot be started (" << tried << ").\n";
  return kExitNotStarted;
}

InteractiveStart workspaceProgramStart(char **argv) {
  return [argv](const CommandLine &, const ProgramEnvironment &) {
    return execWorkspaceProgram(argv);
  };
}

} // namespace brevant
