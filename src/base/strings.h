#pragma once
// Small text helpers every layer uses. "Blank" means a space, a tab, CR or LF. The `ascii`
// functions change or compare the letters A to Z only and leave every other byte (so UTF-8 text)
// as it is; names that match without regard to letter case in every script use caseFolded()
// and equalsIgnoringCase() of base/case_folding.h instead.

#include <cstdint>
#include <string>
#include <string_view>

namespace brevant {

// The blanks of definition files, scripts and connection strings.
inline constexpr std::string_view kBlanks = " \t\r\n";
// What std::isspace takes for white space in the "C" locale.
inline constexpr std::string_view kAsciiSpaces = " \t\n\v\f\r";

[[nodiscard]] bool isBlank(char c);
// `text` without the characters of `chars` at either end.
[[nodiscard]] std::string_view trimmed(std::string_view text, std::string_view chars = kBlanks);
// Blanks removed from both ends.
[[nodiscard]] std::string trimBlanks(std::string_view text);
// Cut at the first NUL, then blanks removed from the end.
[[nodiscard]] std::string trimEndAtNul(std::string_view text);
// One pair of matching outer double or single quotes removed.
[[nodiscard]] std::string unquote(std::string_view text);

[[nodiscard]] char asciiUpper(char c);
[[nodiscard]] char asciiLower(char c);
[[nodiscard]] std::string asciiUpper(std::string_view text);
[[nodiscard]] std::string asciiLower(std::string_view text);
[[nodiscard]] bool equalsAsciiNoCase(std::string_view a, std::string_view b);
[[nodiscard]] bool startsWithAsciiNoCase(std::string_view text, std::string_view prefix);
[[nodiscard]] bool endsWithAsciiNoCase(std::string_view text, std::string_view suffix);
// The value of a hexadecimal digit (either case), or -1 for any other character.
[[nodiscard]] int hexDigitValue(char c);

// The integer before the last ".": "16.0" gives 16; out of range values are clamped.
[[nodiscard]] int16_t majorVersion(std::string_view text);
// Six characters drawn uniformly from the codes 48 to 122.
[[nodiscard]] std::string randomPassword();

} // namespace brevant
