#pragma once
// Numbers written as text in a script or on a command line: "12", " -3.5 ", "1e3", "+7".

#include <cstdint>
#include <optional>
#include <string_view>

namespace brevant {

// The value of a numeric text (blanks around it allowed), or nullopt.
[[nodiscard]] std::optional<double> numericValue(std::string_view text);
[[nodiscard]] inline bool isNumericText(std::string_view text) {
  return numericValue(text).has_value();
}

// A numeric text as a 16-bit integer, rounded half to even; nullopt when the text is not
// numeric or the value does not fit.
[[nodiscard]] std::optional<int16_t> roundedInt16(std::string_view text);

} // namespace brevant
