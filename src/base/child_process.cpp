#include "engine/components/spreadsheet/convert/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#include "base/pending_files.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"

namespace brevant {
namespace {

bool isExecutableFile(const std::string &path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string readHead(const std::string &path, size_t limit) {
  std::ifstream in(path, std::ios::binary);
  std::string text(limit, '\0');
  in.read(text.data(), static_cast<std::streamsize>(limit));
  text.resize(static_cast<size_t>(in.gcount()));
  return text;
}

} // namespace

std::string findProgram(const std::string &program) {
  if (program.empty())
    return {};
  if (program.find('/') != std::string::npos)
    return isExecutableFile(program) ? program : std::string();
  const char *path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos)
      end = folders.size();
    // An empty entry stands for the current folder.
    const std::string candidate =
        (end > start ? folders.substr(start, end - start) : std::string(".")) + "/" + program;
    if (isExecutableFile(candidate))
      return candidate;
    start = end + 1;
  }
  return {};
}

ChildResult runChild(const std::vector<std::string> &argv, const std::string &outputFile,
                     double timeoutSeconds) {
  if (argv.empty())
    throw SpreadsheetError("No program was given to run.");
  // Everything the child needs is prepared before fork: after it only async-signal-safe calls.
  std::vector<char *> args;
  for (const auto &a : argv)
    args.push_back(const_cast<char *>(a.c_str()));
  args.push_back(nullptr);
  const int out = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (out < 0)
    throw SpreadsheetError("The output file \"" + outputFile +
                           "\" cannot be created: " + std::strerror(errno) + ".");
  const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);

  const pid_t pid = ::fork();
  if (pid < 0) {
    const int err = errno;
    ::close(out);
    if (devNull >= 0)
      ::close(devNull);
    throw SpreadsheetError("\"" + argv[0] + "\" cannot be started: " + std::strerror(err) + ".");
  }
  if (pid == 0) {
    ::setpgid(0, 0);
    if (devNull >= 0)
      ::dup2(devNull, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(out, STDERR_FILENO);
    ::execv(args[0], args.data());
    const char *why = std::strerror(errno);
    (void)!::write(STDERR_FILENO, why, std::strlen(why));
    ::_exit(127);
  }
  // Set the group from this side too, so that a kill cannot race the child's own setpgid.
  ::setpgid(pid, pid);
  PendingChild pending(pid);
  ::close(out);
  if (devNull >= 0)
    ::close(devNull);

  ChildResult result;
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(timeoutSeconds));
  auto pause = std::chrono::milliseconds(5);
  for (;;) {
    // The child is only looked at here, not reaped, so that its process group id cannot be
    // taken by another process before the group is killed below.
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) < 0) {
      if (errno == EINTR)
        continue;
      break;
    }
    if (info.si_pid == pid)
      break;
    if (std::chrono::steady_clock::now() >= deadline) {
      result.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(100));
  }
  // Helpers the program left behind in its group do not outlive the run.
  ::kill(-pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!result.timedOut) {
    if (WIFEXITED(status))
      result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
      result.signal = WTERMSIG(status);
  }
  result.output = readHead(outputFile, 64 * 1024);
  return result;
}

} // namespace brevant
