#pragma once
// Runs another program to completion, in a process group of its own so that a time-out ends
// it together with every process it started. Its standard output and error go to one file.

#include <string>
#include <vector>

namespace brevant {

struct ChildResult {
  bool timedOut = false;
  int exitCode = -1;  // the program's exit status, when it exited
  int signal = 0;     // the signal that ended it, when one did
  std::string output; // what it wrote to its standard output and error (the first 64 KB)
};

// The full path of `program` found in the folders of PATH, or empty when it is not there.
// A name holding a '/' is taken as a path and only checked.
[[nodiscard]] std::string findProgram(const std::string &program);

// Starts `argv[0]` (a path) with the arguments `argv`, its output captured in `outputFile`,
// and waits at most `timeoutSeconds`; then the whole process group is killed. Throws when the
// program cannot be started.
ChildResult runChild(const std::vector<std::string> &argv, const std::string &outputFile,
                     double timeoutSeconds);

} // namespace brevant
