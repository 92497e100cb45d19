#include "base/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "base/pending_files.h"

namespace brevant {
namespace {

std::string readHead(const std::string &path, size_t limit) {
  std::ifstream in(path, std::ios::binary);
  std::string text(limit, '\0');
  in.read(text.data(), static_cast<std::streamsize>(limit));
  text.resize(static_cast<size_t>(in.gcount()));
  return text;
}

} // namespace

ChildResult runChild(const std::vector<std::string> &argv, const std::string &outputFile,
                     double timeoutSeconds) {
  if (argv.empty())
    throw std::runtime_error("No program was given to run.");
  // Everything the child needs is prepared before fork: after it only async-signal-safe calls.
  std::vector<char *> args;
  args.reserve(argv.size() + 1);
  for (const auto &a : argv)
    args.push_back(const_cast<char *>(a.c_str()));
  args.push_back(nullptr);
  const int out = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (out < 0)
    throw std::runtime_error("The output file \"" + outputFile +
                             "\" cannot be created: " + std::strerror(errno) + ".");
  const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);

  const pid_t pid = ::fork();
  if (pid < 0) {
    const int err = errno;
    ::close(out);
    if (devNull >= 0)
      ::close(devNull);
    throw std::runtime_error("\"" + argv[0] + "\" cannot be started: " + std::strerror(err) + ".");
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
  result.output = readHead(outputFile, size_t{64} * 1024);
  return result;
}

int startDetached(const std::vector<std::string> &argv) {
  if (argv.empty())
    return EINVAL;
  std::vector<char *> args;
  args.reserve(argv.size() + 1);
  for (const auto &a : argv)
    args.push_back(const_cast<char *>(a.c_str()));
  args.push_back(nullptr);
  // The program runs in a grandchild, so that it outlives this process and leaves no zombie.
  const pid_t child = ::fork();
  if (child < 0)
    return errno;
  if (child == 0) {
    if (::fork() == 0) {
      ::setsid();
      ::execvp(args[0], args.data());
      ::_exit(127);
    }
    ::_exit(0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return 0;
}

} // namespace brevant
