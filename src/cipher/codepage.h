#pragma once
// Text inside the program is UTF-8. Bytes on disk and the bytes the password cipher works on
// follow the Windows-1252 ("ANSI") code page for non-ASCII characters, so that files written on
// Windows read the same here.

#include <string>
#include <string_view>

namespace brevant {

// True when `bytes` is well-formed UTF-8.
bool isValidUtf8(std::string_view bytes);

// UTF-8 text to Windows-1252 bytes; a character the code page lacks becomes '?'.
std::string utf8ToAnsi(std::string_view text);

// Windows-1252 bytes to UTF-8 text; the five unassigned bytes map to U+0081 and the like.
std::string ansiToUtf8(std::string_view bytes);

// How files are read: valid UTF-8 is kept as it is (without a leading byte-order mark),
// anything else is read as Windows-1252.
std::string fileBytesToText(std::string_view bytes);

} // namespace brevant
