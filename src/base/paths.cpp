#include "base/paths.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace brevant {

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool isExecutableFile(const std::string &path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

} // namespace

bool isNetworkPath(std::string_view path) {
  return path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]);
}

bool isUrl(std::string_view text) { return text.find("://") != std::string_view::npos; }

std::string baseName(std::string_view path) {
  const size_t sep = path.find_last_of("\\/");
  if (sep != std::string_view::npos)
    path = path.substr(sep + 1);
  const size_t dot = path.rfind('.');
  if (dot != std::string_view::npos)
    path = path.substr(0, dot);
  return std::string(path);
}

std::string joinPath(std::string_view folder, std::string_view name) {
  if ((name.size() >= 2 && name[1] == ':') || (!name.empty() && isSeparator(name[0])))
    return std::string(name); // also covers network names

  // A folder that starts with a single separator is rooted at '/': its root is the empty
  // text, so "/r" plus "../x" is "/x". Only climbing above the root gives the empty result.
  // Other folders (network paths, drive letters) keep the rule that a folder cut down to one
  // character or less cannot be resolved.
  const bool rooted = !folder.empty() && isSeparator(folder[0]) && !isNetworkPath(folder);
  std::string result(folder);
  if (!result.empty() && isSeparator(result.back()))
    result.pop_back();

  size_t start = 0;
  for (;;) {
    const size_t sep = name.find_first_of("\\/", start);
    if (sep == std::string_view::npos)
      break;
    const std::string_view part = name.substr(start, sep - start);
    start = sep + 1;
    if (part.empty() || part == ".") {
      // nothing to add
    } else if (part == "..") {
      if (rooted && result.empty())
        return {};
      const size_t last = result.find_last_of("\\/");
      result.erase(last == std::string::npos ? 0 : last);
    } else {
      result += '/';
      result += part;
    }
    if (!rooted && result.size() <= 1)
      return {};
  }
  result += '/';
  result += name.substr(start);
  return result;
}

bool createFolders(std::string_view path) {
  // A drive letter means nothing here: creating "C:" in the current folder would only hide
  // the missing file that the caller is about to report.
  if (path.size() >= 2 && path[1] == ':')
    return true;
  std::string folder(path);
  for (char &c : folder)
    if (c == '\\')
      c = '/';
  if (folder.empty() || folder.back() != '/')
    folder += '/';
  // The server and share of a network path cannot be created; skip them.
  size_t skip = 0;
  if (isNetworkPath(path)) {
    const size_t server = folder.find('/', 2);
    const size_t share = server == std::string::npos ? server : folder.find('/', server + 1);
    skip = share == std::string::npos ? folder.size() : share + 1;
  }
  for (size_t sep = folder.find('/', skip); sep != std::string::npos;
       sep = folder.find('/', sep + 1)) {
    if (sep == 0)
      continue;
    const std::string level = folder.substr(0, sep);
    ::mkdir(level.c_str(), 0777); // an existing folder or a failure is left to the caller
  }
  return true;
}

std::string currentFolder() {
  std::error_code ec;
  const std::filesystem::path here = std::filesystem::current_path(ec);
  return ec ? std::string() : here.string();
}

std::string containingFolder(const std::string &path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos)
    return ".";
  if (slash == 0)
    return "/";
  return path.substr(0, slash);
}

std::string linkTarget(std::string path) {
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
      return path;
    char target[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
    if (n <= 0)
      return path;
    std::string next(target, static_cast<size_t>(n));
    path = next.front() == '/' ? next : containingFolder(path) + "/" + next;
  }
  return path;
}

std::string findProgram(std::string_view program) {
  if (program.empty())
    return {};
  if (program.find('/') != std::string_view::npos)
    return isExecutableFile(std::string(program)) ? std::string(program) : std::string();
  const char *path = std::getenv("PATH");
  const std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos)
      end = folders.size();
    // An empty entry stands for the current folder.
    std::string candidate =
        (end > start ? folders.substr(start, end - start) : ".") + "/" + std::string(program);
    if (isExecutableFile(candidate))
      return candidate;
    start = end + 1;
  }
  return {};
}

} // namespace brevant
