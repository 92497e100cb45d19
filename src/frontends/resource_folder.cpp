#include "frontends/resource_folder.h"

#include <filesystem>

namespace brevant {
namespace {

namespace fs = std::filesystem;

// Any one of them marks a resource folder: a packager may leave out the help, a user may delete
// the tips, and the file-type table's absence must still be reported from the right folder.
bool holdsResources(const fs::path &folder) {
  std::error_code ec;
  for (const char *name : {"kvdconv.cfg", "kvdtips.txt", "help/index.html"})
    if (fs::is_regular_file(folder / name, ec))
      return true;
  return false;
}

} // namespace

std::string resourceFolderFor(const std::string &executableFolder) {
  const fs::path beside(executableFolder);
  if (holdsResources(beside))
    return executableFolder;
  const fs::path installed = (beside / ".." / "share" / "brevant").lexically_normal();
  if (holdsResources(installed))
    return installed.string();
  return executableFolder;
}

} // namespace brevant
