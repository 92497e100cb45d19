#pragma once
// Pictures a report names by an address ("https://...", "ftp://...", "file://..."): the run
// fetches them, with time-outs and the picture size limit, and hands the bytes to the sheet,
// which itself only reads local files or bytes.

#include <string>
#include <string_view>

namespace brevant {

// True when `source` is an address to fetch rather than a file name: it contains "://".
bool isPictureAddress(std::string_view source);

// The bytes at `address` (http, https, ftp, ftps or file; redirects followed). Throws with a
// description for an address that cannot be reached or answers with an error, and for more
// than 50 MB.
std::string downloadPicture(const std::string &address);

} // namespace brevant
