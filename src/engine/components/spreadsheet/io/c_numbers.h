#pragma once
// Numbers in text as files, logs and other programs write them: '.' for the decimal point,
// whatever the process's locale. The workspace runs in the desktop's locale, whose LC_NUMERIC
// may use a decimal comma, and the C library's strtod, printf and scanf follow it; these
// versions always read and write in the "C" locale.

#include <cstddef>
#include <optional>
#include <string_view>

namespace pugi {
class xml_attribute;
}

namespace brevant {

// strtod in the "C" locale.
double strtodC(const char *text, char **end);

// snprintf and sscanf in the "C" locale.
[[gnu::format(printf, 3, 4)]] int snprintfC(char *buffer, std::size_t size, const char *format,
                                            ...);
[[gnu::format(scanf, 2, 3)]] int sscanfC(const char *text, const char *format, ...);

// The whole of `text` read as a finite decimal number written as a user types it (digits, a
// sign, a point, an exponent; no blanks, no thousands separators), or nothing.
[[nodiscard]] std::optional<double> plainNumber(std::string_view text);

// A number-valued XML attribute (pugixml's as_double follows the locale): `fallback` when the
// attribute is missing, 0 when it holds no number.
double attributeNumber(const pugi::xml_attribute &attribute, double fallback = 0);

} // namespace brevant
