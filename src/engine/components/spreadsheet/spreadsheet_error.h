#pragma once
// The one exception type of the workbook engine. Its what() is the description a caller writes
// into the run log, so it is always a complete sentence about what went wrong.

#include <stdexcept>
#include <string>

namespace brevant {

class SpreadsheetError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

} // namespace brevant
