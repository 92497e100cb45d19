#pragma once
// Path helpers. In names read from definitions and scripts both '\' and '/' separate folders.

#include <string>
#include <string_view>

namespace brevant {

// Two leading separators: "\\server\share" or "//server/share".
[[nodiscard]] bool isNetworkPath(std::string_view path);
// The text contains "://".
[[nodiscard]] bool isUrl(std::string_view text);
// The name after the last separator, without its last extension: "D:\r\a.b.kvd" gives "a.b".
[[nodiscard]] std::string baseName(std::string_view path);
// `name` resolved against `folder` without touching the current directory: "." parts are
// dropped, ".." removes the folder's last level, and parts are joined with '/'. A name that is
// absolute, a network path or starts with a drive letter comes back unchanged. The result is
// empty when ".." climbs above the root of a '/'-rooted folder, or cuts any other folder down
// to one character or less.
[[nodiscard]] std::string joinPath(std::string_view folder, std::string_view name);
// Creates every missing level of the folder `path` (failures are left for the caller to meet
// when it uses the folder). A name with a drive letter creates nothing. Always true.
bool createFolders(std::string_view path);

// The process's current folder, or "" when it cannot be read (it was removed, say).
[[nodiscard]] std::string currentFolder();
// The folder part of a '/'-separated path: "." when there is none, "/" for a name in the root.
[[nodiscard]] std::string containingFolder(const std::string &path);
// The file a chain of symbolic links at `path` ends at (which need not exist yet); `path` itself
// when it is no link. Relative links are taken from the folder of the link.
[[nodiscard]] std::string linkTarget(std::string path);

// The full path of `program` found in the folders of PATH (an empty entry is the current
// folder; no PATH at all means "/usr/local/bin:/usr/bin:/bin"), or empty when it is not there.
// A name holding a '/' is taken as a path and only checked. Only executable regular files count.
[[nodiscard]] std::string findProgram(std::string_view program);

} // namespace brevant
