#include "engine/components/spreadsheet/formulas/functions/rounding.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace brevant::formulas {
namespace {

template <class Round> double roundWith(double value, int digits, Round round) {
  if (value == 0 || !std::isfinite(value))
    return value;
  if (digits > 15)
    digits = 15;
  if (digits < -308)
    return 0;
  double scale = std::pow(10.0, std::abs(digits));
  double scaled = digits >= 0 ? value * scale : value / scale;
  if (!std::isfinite(scaled))
    return value;
  scaled = toSignificant15(scaled);
  double r = round(scaled);
  return digits >= 0 ? r / scale : r * scale;
}

} // namespace

double toSignificant15(double value) {
  if (value == 0 || !std::isfinite(value))
    return value;
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  return std::strtod(buf, nullptr);
}

double roundHalfAway(double value, int digits) {
  return roundWith(value, digits, [](double v) { return std::round(v); });
}

double roundAwayFromZero(double value, int digits) {
  return roundWith(value, digits, [](double v) { return v < 0 ? -std::ceil(-v) : std::ceil(v); });
}

double roundTowardZero(double value, int digits) {
  return roundWith(value, digits, [](double v) { return std::trunc(v); });
}

double snapToWhole(double quotient) {
  double s = toSignificant15(quotient);
  return s == std::round(s) ? s : quotient;
}

} // namespace brevant::formulas
