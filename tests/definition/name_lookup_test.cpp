#include "definition/name_lookup.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

struct Fields {
  std::vector<std::string> names;
  int fieldCount() const { return static_cast<int>(names.size()); }
  const std::string &fieldName(int i) const { return names[static_cast<size_t>(i)]; }
};

TEST(NameLookup, ListItemsInBothModes) {
  const std::vector<std::string> items{"Alpha", "beta"};
  EXPECT_EQ(FindListItem(items, "BETA", kTextCompare), 1);
  EXPECT_EQ(FindListItem(items, "BETA", kBinaryCompare), -1);
  EXPECT_EQ(FindListItem(items, "beta", kBinaryCompare), 1);
  EXPECT_EQ(FindListItem({}, "x", kTextCompare), -1);
  EXPECT_EQ(FindListItem(items, "Alph", kTextCompare), -1);
}

TEST(NameLookup, FirstOfTwoFieldsThatDifferOnlyInCase) {
  const Fields fields{{"id", "Amount", "AMOUNT"}};
  EXPECT_EQ(FindFieldIndex(fields, "amount", kTextCompare), 1);
  EXPECT_EQ(FindFieldIndex(fields, "AMOUNT", kBinaryCompare), 2);
  EXPECT_EQ(FindFieldIndex(fields, "missing", kTextCompare), -1);
  EXPECT_EQ(FindFieldIndex(Fields{}, "id", kTextCompare), -1);
  EXPECT_EQ(FindFieldIndex(fields.names, "ID", kTextCompare), 0);
}

TEST(NameLookup, LatinLettersIgnoreCaseToo) {
  EXPECT_TRUE(textEquals("ÉTÉ Œuvre ŠŽŸ", "été œuvre šžÿ", kTextCompare));
  EXPECT_TRUE(textEquals("Größe", "GRößE", kTextCompare));
  EXPECT_FALSE(textEquals("×", "÷", kTextCompare)); // signs, not letters
  EXPECT_FALSE(textEquals("e", "é", kTextCompare));
  EXPECT_FALSE(textEquals("ab", "abc", kTextCompare));
  // Bytes that are not UTF-8 still compare exactly and never match a letter.
  EXPECT_TRUE(textEquals("a\xC9", "A\xC9", kTextCompare));
  EXPECT_FALSE(textEquals("\xC9", "\xE9", kTextCompare));
  EXPECT_FALSE(textEquals("\xC3", "\xC3\xA9", kTextCompare));
}

} // namespace
} // namespace brevant
