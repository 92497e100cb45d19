#include "base/pending_files.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace brevant {
namespace {

// A slot is claimed (kClaimed) while its owner fills it, and only then published (kReady), so
// that a signal handler never reads half a path.
constexpr int kFree = 0;
constexpr int kClaimed = 1;
constexpr int kReady = 2;

constexpr int kSlots = 16;
constexpr size_t kMaxPath = 4096;

struct PathSlot {
  std::atomic<int> state{kFree};
  bool folder = false;
  char path[kMaxPath];
};

struct ChildSlot {
  std::atomic<pid_t> group{0};
};

PathSlot pathSlots[kSlots];
ChildSlot childSlots[kSlots];

void removeFolder(const char *path) {
  // Forked with the async-signal-safe _Fork; the child replaces itself with rm and is left to
  // finish on its own.
  const pid_t pid = ::_Fork();
  if (pid == 0) {
    char rm[] = "/bin/rm";
    char flags[] = "-rf";
    char separator[] = "--";
    char *const argv[] = {rm, flags, separator, const_cast<char *>(path), nullptr};
    char *const env[] = {nullptr};
    ::execve(rm, argv, env);
    ::_exit(127);
  }
}

} // namespace

void PendingPath::track(const std::string &path, bool folder) {
  release();
  if (path.size() >= kMaxPath)
    return;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!pathSlots[i].state.compare_exchange_strong(expected, kClaimed))
      continue;
    std::memcpy(pathSlots[i].path, path.c_str(), path.size() + 1);
    pathSlots[i].folder = folder;
    pathSlots[i].state.store(kReady);
    slot_ = i;
    return;
  }
}

void PendingPath::release() {
  if (slot_ >= 0)
    pathSlots[slot_].state.store(kFree);
  slot_ = -1;
}

PendingChild::PendingChild(pid_t group) {
  for (int i = 0; i < kSlots; ++i) {
    pid_t expected = 0;
    if (childSlots[i].group.compare_exchange_strong(expected, group)) {
      slot_ = i;
      return;
    }
  }
}

PendingChild::~PendingChild() {
  if (slot_ >= 0)
    childSlots[slot_].group.store(0);
}

void abandonPendingWorkNow() noexcept {
  for (ChildSlot &child : childSlots)
    if (const pid_t group = child.group.exchange(0); group > 0)
      ::kill(-group, SIGKILL);
  for (PathSlot &slot : pathSlots) {
    int expected = kReady;
    if (!slot.state.compare_exchange_strong(expected, kClaimed))
      continue;
    if (slot.folder)
      removeFolder(slot.path);
    else
      ::unlink(slot.path);
  }
}

} // namespace brevant
