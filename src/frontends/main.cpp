#include "frontends/startup.h"

#include <csignal>
#include <string>
#include <vector>

int main(int argc, char **argv) {
  // A file-size limit must make a write fail with an error the run can log, not end the process.
  std::signal(SIGXFSZ, SIG_IGN);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return brevant::Startup(arguments);
}
