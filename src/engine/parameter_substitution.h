#pragma once
// Run-time parameters in SQL text and file names: every occurrence of a parameter's Name is
// replaced by its Default value.

#include "definition/report_definition.h"

#include <span>
#include <string>
#include <string_view>

namespace brevant {

// Scans `text` left to right. At each position the parameters are tried in order; the first
// whose Name is not empty and appears there (exact case) is replaced by its Default and the scan
// goes on after the name, so a replacement is never scanned again. Quotes mean nothing here.
std::string substituteParameters(std::string_view text,
                                 std::span<const ReportParameter> parameters);

// The same with the definition's parameters 0 .. parameterCount - 1.
std::string substituteParameters(std::string_view text, const ReportDefinition &definition);

} // namespace brevant
