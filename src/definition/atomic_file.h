#pragma once
// Replacing a file so that it is never left half written: the new content goes to a temporary
// file beside it, is flushed to the disk, and is then renamed over the old name.

#include <string>
#include <string_view>

namespace brevant {

// Writes `bytes` as the new content of `path`. With `keepBackup`, "<path>.bak" afterwards holds
// the content `path` had before (an older .bak is replaced; with no old file there is no new
// .bak). A symbolic link is followed: its target gets the new content. Throws
// std::runtime_error describing the failure; `path` is then as it was before the call.
void replaceFile(const std::string &path, std::string_view bytes, bool keepBackup);

} // namespace brevant
