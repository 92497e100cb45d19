#pragma once
// Whether two path names lead to the same file: compared by device and inode after every link
// and every "..", never by the text of the names. A path that does not exist yet is known by
// its folder's identity and its own name, so two spellings of one new file match too.

#include <string>

namespace brevant {

// False when either path cannot be examined (a missing folder, no permission).
[[nodiscard]] bool sameFile(const std::string &a, const std::string &b);

} // namespace brevant
