#pragma once
// Dates and times written as ISO 8601 text, the way SQLite databases keep them:
// "2024-03-05", "2024-03-05 14:30", "2024-03-05T14:30:15.250", "14:30:15". A trailing "Z" or
// zone offset is accepted and ignored (the value is taken as written).

#include "base/variant.h"

#include <optional>
#include <string_view>

namespace brevant {

[[nodiscard]] std::optional<DateValue> parseIsoDate(std::string_view text);
[[nodiscard]] std::optional<TimeValue> parseIsoTime(std::string_view text);
// A date alone is midnight of that day.
[[nodiscard]] std::optional<DateTimeValue> parseIsoDateTime(std::string_view text);

} // namespace brevant
