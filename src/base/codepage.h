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

// The length of the well-formed UTF-8 sequence at text[i], or 0 when the bytes there are not
// one (overlong forms, surrogates and values past U+10FFFF are not).
size_t utf8SequenceLength(std::string_view text, size_t i);
// Appends the UTF-8 form of a code point.
void appendUtf8(std::string &out, char32_t c);
// `text` with every byte that is not part of a well-formed UTF-8 sequence read as
// Windows-1252; well-formed sequences are kept.
std::string repairUtf8(std::string_view text);

// UTF-16 for the places that need it (wide ODBC calls, registry string data, Unicode text
// files). Input that is not valid UTF-8 is read as Windows-1252 first, so no text is lost; a
// lone surrogate becomes U+FFFD on the way back.
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);
void appendUtf16AsUtf8(std::u16string_view text, std::string &out);

// The same as little-endian byte strings; an odd last byte is dropped.
std::string utf8ToUtf16le(std::string_view text);
std::string utf16leToUtf8(std::string_view bytes);
// True when `bytes` is an even number of bytes of well-formed UTF-16LE.
bool isValidUtf16le(std::string_view bytes);

} // namespace brevant
