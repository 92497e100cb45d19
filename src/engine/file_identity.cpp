#include "engine/file_identity.h"

#include <cerrno>
#include <filesystem>
#include <optional>
#include <sys/stat.h>

namespace brevant {
namespace {

struct Identity {
  dev_t device = 0;
  ino_t inode = 0;
  std::string nameInFolder; // empty for an existing file
  bool operator==(const Identity &) const = default;
};

std::optional<Identity> identityOf(const std::string &path) {
  if (path.empty())
    return std::nullopt;
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0)
    return Identity{info.st_dev, info.st_ino, {}};
  if (errno != ENOENT)
    return std::nullopt;
  const std::filesystem::path name(path);
  const std::string folder = name.has_parent_path() ? name.parent_path().string() : ".";
  if (::stat(folder.c_str(), &info) != 0 || name.filename().empty())
    return std::nullopt;
  return Identity{info.st_dev, info.st_ino, name.filename().string()};
}

} // namespace

bool sameFile(const std::string &a, const std::string &b) {
  const auto first = identityOf(a);
  const auto second = identityOf(b);
  return first && second && *first == *second;
}

} // namespace brevant
