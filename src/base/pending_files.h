#pragma once
// What a save has begun and not yet finished: temporary files beside the report, scratch
// folders and converter processes. A run that a signal ends at once calls
// abandonPendingWorkNow() from its signal handler, so that nothing half-made stays behind.

#include <string>
#include <sys/types.h>

namespace brevant {

// Registers a file (or, with `folder`, a whole folder) for removal should the process end
// before the owner is done with it; the owner's destructor or release() takes it back.
class PendingPath {
public:
  PendingPath() = default;
  explicit PendingPath(const std::string &path, bool folder = false) { track(path, folder); }
  PendingPath(const PendingPath &) = delete;
  PendingPath &operator=(const PendingPath &) = delete;
  ~PendingPath() { release(); }
  // Starts watching `path` (a path too long to keep is not watched).
  void track(const std::string &path, bool folder = false);
  void release();

private:
  int slot_ = -1;
};

// Registers a child process group, killed should the process end while it runs.
class PendingChild {
public:
  explicit PendingChild(pid_t group);
  PendingChild(const PendingChild &) = delete;
  PendingChild &operator=(const PendingChild &) = delete;
  ~PendingChild();

private:
  int slot_ = -1;
};

// Kills the registered process groups and removes the registered files and folders. Only
// async-signal-safe calls: a folder is removed by a detached "rm -rf".
void abandonPendingWorkNow() noexcept;

} // namespace brevant
