#include "engine/numeric_text.h"
#include "engine/components/spreadsheet/io/c_numbers.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

namespace brevant {

std::optional<double> numericValue(std::string_view text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && (text[first] == ' ' || text[first] == '\t'))
    ++first;
  while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t'))
    --last;
  const std::string_view core = text.substr(first, last - first);
  if (core.empty())
    return std::nullopt;
  // Only plain decimal forms: strtod alone would also take "inf", "nan" and hexadecimal.
  size_t i = 0;
  if (core[i] == '+' || core[i] == '-')
    ++i;
  size_t digits = 0;
  while (i < core.size() && std::isdigit(static_cast<unsigned char>(core[i])))
    ++i, ++digits;
  if (i < core.size() && core[i] == '.') {
    ++i;
    while (i < core.size() && std::isdigit(static_cast<unsigned char>(core[i])))
      ++i, ++digits;
  }
  if (digits == 0)
    return std::nullopt;
  if (i < core.size() && (core[i] == 'e' || core[i] == 'E')) {
    ++i;
    if (i < core.size() && (core[i] == '+' || core[i] == '-'))
      ++i;
    size_t exponentDigits = 0;
    while (i < core.size() && std::isdigit(static_cast<unsigned char>(core[i])))
      ++i, ++exponentDigits;
    if (exponentDigits == 0)
      return std::nullopt;
  }
  if (i != core.size())
    return std::nullopt;
  const double value = strtodC(std::string(core).c_str(), nullptr);
  if (!std::isfinite(value))
    return std::nullopt;
  return value;
}

std::optional<int16_t> roundedInt16(std::string_view text) {
  const std::optional<double> value = numericValue(text);
  if (!value)
    return std::nullopt;
  const double rounded = std::nearbyint(*value); // the default mode rounds half to even
  if (rounded < -32768.0 || rounded > 32767.0)
    return std::nullopt;
  return static_cast<int16_t>(rounded);
}

} // namespace brevant
