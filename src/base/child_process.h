#pragma once
// Starting other programs: to completion, in a process group of its own so that a time-out ends
// it together with every process it started (its standard output and error going to one
// file), or detached, for a program that shows something to the user.

#include <string>
#include <vector>

namespace brevant {

struct ChildResult {
  bool timedOut = false;
  int exitCode = -1;  // the program's exit status, when it exited
  int signal = 0;     // the signal that ended it, when one did
  std::string output; // what it wrote to its standard output and error (the first 64 KB)
};

// Starts `argv[0]` (a path) with the arguments `argv`, its output captured in `outputFile`,
// and waits at most `timeoutSeconds`; then the whole process group is killed. Throws
// std::runtime_error when the program cannot be started (a program that exec cannot run exits
// with 127 instead).
[[nodiscard]] ChildResult runChild(const std::vector<std::string> &argv,
                                   const std::string &outputFile, double timeoutSeconds);

// Starts `argv[0]` (found on PATH when it holds no '/') with the arguments `argv` in a session
// of its own and does not wait: it outlives this process and leaves no zombie. Returns 0, or the
// errno of the fork that failed; a program that cannot be run is not reported.
[[nodiscard]] int startDetached(const std::vector<std::string> &argv);

} // namespace brevant
