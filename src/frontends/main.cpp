#include "frontends/startup.h"

#ifdef BREVANT_WITH_WORKSPACE
#include "frontends/workspace_start.h"
#elif defined(BREVANT_WORKSPACE_PROGRAM)
#include "frontends/workspace_program.h"
#endif

#include <csignal>
#include <string>
#include <vector>

int main(int argc, char **argv) {
  // A file-size limit must make a write fail with an error the run can log, not end the process.
  std::signal(SIGXFSZ, SIG_IGN);
  std::vector<std::string> arguments(argv + 1, argv + argc);
#ifdef BREVANT_WITH_WORKSPACE
  return brevant::Startup(arguments, &brevant::startWorkspace);
#elif defined(BREVANT_WORKSPACE_PROGRAM)
  return brevant::Startup(arguments, brevant::workspaceProgramStart(argv));
#else
  return brevant::Startup(arguments);
#endif
}
