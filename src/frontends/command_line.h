#pragma once
// The program's command line:
//   brevant [definition-file [-C] [-D] [-I n] [-U[n] user] [-P[n] password] [value1 ... value10]]
// The definition file must come first; switches follow in any order and any letter case, up to
// the first argument that is not one; in a batch run the rest are parameter values.

#include "engine/run_state.h"

#include <string>
#include <vector>

namespace brevant {

struct CommandLine {
  std::string definitionFile; // as given; empty when there is none
  bool batch = false;         // -C
  bool displayReport = false; // -D
  double progressInterval = 0;
  std::array<CommandLineLogin, kMaxDataSources + 1> logins;
  std::vector<std::string> values; // at most 10
  bool help = false;               // --help (only as the first argument)
  bool version = false;            // --version (only as the first argument)
};

// `arguments` are the program's arguments without the program name. `startingLogins` are the
// logins known before the command line is read (from the environment); -U<n> and -P<n> replace
// their user or password.
CommandLine
parseCommandLine(const std::vector<std::string> &arguments,
                 const std::array<CommandLineLogin, kMaxDataSources + 1> &startingLogins = {});

std::string usageText();

} // namespace brevant
