#pragma once
// What stands at a path where a file is to be written. Reports, logs and saved files are
// regular files; a folder, pipe, device or socket in their place is refused, not written into.

#include <string>
#include <sys/types.h>

namespace brevant {

// "a folder", "a pipe (FIFO)", "a device" or "a socket", or nullptr for a regular file or a
// symbolic link.
const char *nonFileKind(mode_t mode);
// The same for what stands at `path` (a link is not followed); nullptr when nothing does.
const char *nonFileAt(const std::string &path);

} // namespace brevant
