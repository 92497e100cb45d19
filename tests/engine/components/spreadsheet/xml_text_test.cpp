#include "engine/components/spreadsheet/io/xml_text.h"

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/cells/shared_strings.h"

namespace brevant {
namespace {

std::string xstring(std::string_view s) {
  std::string out;
  appendXstring(out, s);
  return out;
}

TEST(XmlText, EscapesMarkupAndCharactersXmlCannotHold) {
  EXPECT_EQ(xstring("a<b & \"c\">"), "a&lt;b &amp; &quot;c&quot;&gt;");
  EXPECT_EQ(xstring(std::string("bell\x07", 5)), "bell_x0007_");
  EXPECT_EQ(xstring("tab\tnl\n"), "tab\tnl\n");
  // A literal escape sequence in the text must survive a round trip.
  EXPECT_EQ(xstring("_x0041_"), "_x005F_x0041_");
  EXPECT_EQ(decodeXstring("_x005F_x0041_"), "_x0041_");
  EXPECT_EQ(decodeXstring("_x0007_ok_x00e9_"), "\x07ok\xC3\xA9");
  EXPECT_EQ(decodeXstring("_x12_ stays"), "_x12_ stays");
}

TEST(XmlText, InvalidUtf8IsReadAsWindows1252) {
  EXPECT_TRUE(isValidUtf8("Zo\xC3\xAB"));
  EXPECT_FALSE(isValidUtf8("\xC3"));
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80")); // a surrogate
  EXPECT_EQ(repairUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(xstring("\xFF"), "\xC3\xBF");
}

TEST(SharedStrings, AddsEachTextOnceAndKeepsRichItems) {
  SharedStrings strings;
  strings.load("<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
               "<si><t>plain</t></si>"
               "<si><r><rPr><b/></rPr><t>bold</t></r><r><t> tail</t></r></si>"
               "<si><t xml:space=\"preserve\"> </t></si></sst>");
  ASSERT_EQ(strings.size(), 3u);
  EXPECT_EQ(strings.text(1), "bold tail");
  EXPECT_EQ(strings.text(2), " ");
  EXPECT_EQ(strings.add("plain"), 0u);
  // Plain text equal to a rich item's text is a new plain item, found again afterwards.
  uint32_t fresh = strings.add("bold tail");
  EXPECT_EQ(fresh, 3u);
  EXPECT_EQ(strings.add("bold tail"), fresh);
  for (int i = 0; i < 5000; ++i)
    strings.add("value " + std::to_string(i % 1000));
  EXPECT_EQ(strings.size(), 4u + 1000u);
  std::string xml;
  strings.write([&](std::string_view piece) { xml += piece; });
  EXPECT_NE(xml.find("<si><r><rPr><b/></rPr><t>bold</t></r>"), std::string::npos);
  EXPECT_NE(xml.find("<si><t xml:space=\"preserve\"> </t></si>"), std::string::npos);
  EXPECT_NE(xml.find("uniqueCount=\"1004\""), std::string::npos);
}

} // namespace
} // namespace brevant
