#pragma once
// The displayed text of a cell value under its number format code, in the US English locale:
// General, digit placeholders (0 # ?), decimals, thousands separators and scaling, percentages,
// scientific notation, fractions, dates and times (y m d h s, AM/PM, elapsed [h] [m] [s]),
// literal text, text sections with '@', colours and conditions. Good enough for the formats
// reports use; rarely used corners (fills with '*', East Asian calendars) are approximated.

#include <memory>
#include <string>
#include <string_view>

namespace brevant {

// The code of a built-in number format id (0 General, 14 m/d/yyyy, ...); empty when unknown.
std::string_view builtinNumberFormat(int id);

// General: up to 15 significant digits, scientific for very large or very small magnitudes
// with up to `scientificDigits` significant digits (a cell shows 6; a number turned into text
// by a formula keeps 15).
[[nodiscard]] std::string formatGeneral(double value, int scientificDigits = 6);

class NumberFormat {
public:
  explicit NumberFormat(std::string_view code);
  ~NumberFormat();
  NumberFormat(NumberFormat &&) noexcept;
  NumberFormat &operator=(NumberFormat &&) noexcept;

  [[nodiscard]] std::string format(double value, bool date1904 = false) const;
  // Text under the format's text section ("@" replaced by the text); the text itself when the
  // format has none.
  [[nodiscard]] std::string formatText(std::string_view text) const;
  // True when the format shows a date or a time (the first section decides).
  [[nodiscard]] bool isDateTime() const;
  [[nodiscard]] bool isGeneral() const;

private:
  struct Compiled;
  std::unique_ptr<Compiled> compiled_;
};

} // namespace brevant
