#pragma once
// "file:" addresses of pictures, read from the disk directly so that a local picture never
// loads the HTTP client. They are taken as the HTTP client took them: "file:///path" or
// "file://localhost/path", "%XX" escapes decoded, and a "?" or "#" ends the path.

#include <optional>
#include <string>
#include <string_view>

namespace brevant {

// The local path a "file://" address (the scheme in any letter case) names; nullopt for an
// address of another scheme. Throws a SpreadsheetError for a file address on another host or
// one whose path holds an escaped NUL.
std::optional<std::string> filePathOfAddress(std::string_view address);

} // namespace brevant
