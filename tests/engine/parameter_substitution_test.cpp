#include "engine/parameter_substitution.h"

#include <gtest/gtest.h>

#include <vector>

namespace brevant {
namespace {

std::string substitute(std::string_view text, std::vector<ReportParameter> parameters) {
  return substituteParameters(text, std::span<const ReportParameter>(parameters));
}

TEST(SubstituteParameters, TheParameterDefinedFirstWinsAtEachPosition) {
  EXPECT_EQ(substitute("y=&Y and ym=&YM", {{"&Y", "", "2024"}, {"&YM", "", "202405"}}),
            "y=2024 and ym=2024M");
  EXPECT_EQ(substitute("y=&Y and ym=&YM", {{"&YM", "", "202405"}, {"&Y", "", "2024"}}),
            "y=2024 and ym=202405");
}

TEST(SubstituteParameters, MatchesExactCaseAnywhereEvenInsideWordsAndQuotes) {
  const std::vector<ReportParameter> id = {{"ID", "", "7"}};
  EXPECT_EQ(substitute("select WIDTH, id, 'ID' from IDS", id), "select W7TH, id, '7' from 7S");
}

TEST(SubstituteParameters, AReplacementIsNotScannedAgain) {
  EXPECT_EQ(substitute("AB A", {{"A", "", "B"}, {"B", "", "C"}}), "BC B");
  EXPECT_EQ(substitute("%P%", {{"%P%", "", "%P%%P%"}}), "%P%%P%");
}

TEST(SubstituteParameters, EmptyDefaultsRemoveTheNameAndEmptyNamesAreSkipped) {
  EXPECT_EQ(substitute("a:X:b", {{"", "", "never"}, {"X", "", ""}}), "a::b");
  EXPECT_EQ(substitute("", {{"X", "", "1"}}), "");
  EXPECT_EQ(substitute("abc", {}), "abc");
}

TEST(SubstituteParameters, AppliesToFileNamesWithTextAroundAndNonAsciiBytes) {
  EXPECT_EQ(substitute("out\\Umsätze_&M.xlsx", {{"&M", "", "Mai-Juni"}}),
            "out\\Umsätze_Mai-Juni.xlsx");
  EXPECT_EQ(substitute("ä&Mä", {{"&M", "", "ö"}}), "äöä");
}

TEST(SubstituteParameters, UsesOnlyTheDefinitionsParametersInUse) {
  ReportDefinition definition;
  definition.parameters[0] = {"&A", "A", "1"};
  definition.parameters[1] = {"&B", "B", "2"}; // beyond parameterCount: left over, not in use
  definition.parameterCount = 1;
  EXPECT_EQ(substituteParameters("&A&B", definition), "1&B");
  definition.parameterCount = 2;
  EXPECT_EQ(substituteParameters("&A&B", definition), "12");
}

} // namespace
} // namespace brevant
