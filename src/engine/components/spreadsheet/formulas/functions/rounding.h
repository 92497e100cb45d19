#pragma once
// Rounding as the spreadsheet does it: on the decimal value shown to 15 significant digits, so
// that ROUND(2.675, 2) is 2.68 although 2.675 is stored a little below it.

namespace brevant::formulas {

// The value rounded to 15 significant digits.
double toSignificant15(double value);
// Half away from zero at `digits` decimals (negative: to tens, hundreds, ...).
double roundHalfAway(double value, int digits);
double roundAwayFromZero(double value, int digits);
double roundTowardZero(double value, int digits);
// `quotient` snapped to the nearest whole number when it is one up to 15 digits.
double snapToWhole(double quotient);

} // namespace brevant::formulas
