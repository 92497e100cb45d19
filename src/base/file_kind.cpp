#include "base/file_kind.h"

#include <sys/stat.h>

namespace brevant {

const char *nonFileKind(mode_t mode) {
  if (S_ISDIR(mode))
    return "a folder";
  if (S_ISFIFO(mode))
    return "a pipe (FIFO)";
  if (S_ISCHR(mode) || S_ISBLK(mode))
    return "a device";
  if (S_ISSOCK(mode))
    return "a socket";
  return nullptr;
}

const char *nonFileAt(const std::string &path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? nonFileKind(st.st_mode) : nullptr;
}

} // namespace brevant
