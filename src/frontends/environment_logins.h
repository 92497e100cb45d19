#pragma once
// Data-source logins from the environment, so that a scheduler can hand them over without
// putting a password on the command line (where every user can read it in the process list):
//   BREVANT_USER<n>, BREVANT_PASSWORD<n>  the user and password of data source n (1 to 10);
//   BREVANT_USER, BREVANT_PASSWORD        data source 1, when BREVANT_USER1 / ..._PASSWORD1 are
//                                         not set.
// They act exactly like -U<n> and -P<n>: a data source named by either gets both its user and
// its password from them (the one not set is empty). -U<n> and -P<n> on the command line take
// precedence, one value at a time. Like -U and -P, they apply to batch runs only.

#include "engine/run_state.h"

#include <array>
#include <functional>
#include <string>

namespace brevant {

using LoginTable = std::array<CommandLineLogin, kMaxDataSources + 1>;

// Reads a variable; nullptr when it is not set (std::getenv by default).
using EnvironmentLookup = std::function<const char *(const char *name)>;

LoginTable environmentLogins(const EnvironmentLookup &lookup);

// Removes the password variables from this process's environment, so that the programs it
// starts (the converter, the desktop's opener) do not inherit them.
void forgetEnvironmentPasswords();

} // namespace brevant
