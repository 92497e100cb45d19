#pragma once
// The criteria of SUMIF, COUNTIF, AVERAGEIF and the *IFS functions: a value, or a text with an
// optional comparison in front (">=10", "<>x", "=", ""), read the way the spreadsheet reads
// them. Equality on texts takes the wildcards * ? and ~; a numeric criterion for equality also
// matches texts that read as that number.

#include <optional>
#include <string>

#include "engine/components/spreadsheet/formulas/formula_value.h"
#include "engine/components/spreadsheet/formulas/functions/value_compare.h"

namespace brevant::formulas {

class Criterion {
public:
  // The criterion as given: a number, a boolean, an error, a text or a blank (which means 0).
  explicit Criterion(const Scalar &criterion, bool date1904 = false);

  bool matches(const Scalar &value) const;
  // Whether an empty cell matches (then empty cells have to be visited too).
  bool matchesBlank() const { return matches(Scalar{Blank{}}); }

private:
  enum class Op : uint8_t { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };
  enum class Kind : uint8_t { Number, Text, Boolean, Error, Empty, EmptyOrEmptyText };

  bool compare(int order) const;

  Op op_ = Op::Equal;
  Kind kind_ = Kind::Number;
  double number_ = 0;
  bool boolean_ = false;
  FormulaError error_ = FormulaError::NA;
  std::string text_;
  std::optional<WildcardPattern> pattern_;
  bool date1904_ = false;
};

} // namespace brevant::formulas
