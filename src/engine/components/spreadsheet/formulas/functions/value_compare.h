#pragma once
// Comparing values as the spreadsheet does: texts without regard to letter case, and across
// types numbers before texts before booleans; wildcard patterns for criteria and lookups.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/components/spreadsheet/formulas/formula_value.h"

namespace brevant::formulas {

// LOWER, UPPER and PROPER's letters: ASCII, Latin-1, Greek and Cyrillic in lower or upper case.
std::string lowerCase(std::string_view text);
std::string upperCase(std::string_view text);
char32_t lowerChar(char32_t c);
char32_t upperChar(char32_t c);
// -1, 0 or 1 comparing two texts without regard to letter case (the one case-folding rule of
// names and sheet names).
int compareText(std::string_view a, std::string_view b);
// The order of two values for the comparison operators: negative, zero or positive. Neither may
// be an error; an empty cell takes the type of the other value. Numbers equal to 15
// significant digits compare equal.
int compareScalars(const Scalar &a, const Scalar &b);
// Equal values of one type (texts in any letter case); a blank equals only a blank.
bool sameValue(const Scalar &a, const Scalar &b);
// The order of sorted lookup data: numbers, then texts, then booleans (FALSE before TRUE);
// values of the same type by value. Errors and blanks sort last.
int compareOrdered(const Scalar &a, const Scalar &b);
// The rank of a value's type in that order: 0 number, 1 text, 2 boolean, 3 other.
int typeRank(const Scalar &v);

// A pattern with '*' (any characters), '?' (one character) and '~' making the next character
// literal, matched against a whole text without regard to letter case (as compareText).
class WildcardPattern {
public:
  explicit WildcardPattern(std::string_view pattern);
  bool matches(std::string_view text) const;
  // True when the pattern holds '*' or '?' as wildcards (not after '~').
  bool hasWildcards() const { return hasWildcards_; }

private:
  enum Kind : uint8_t { Literal, AnyOne, AnyRun };
  std::u32string tokensText_;
  std::basic_string<uint8_t> kinds_;
  bool hasWildcards_ = false;
};

} // namespace brevant::formulas
