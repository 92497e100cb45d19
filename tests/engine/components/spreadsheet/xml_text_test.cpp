#include "engine/components/spreadsheet/io/xml_text.h"

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/cells/cell_text_limit.h"
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

TEST(XmlText, EveryCharacterRoundTripsCarriageReturnsIncluded) {
  // A raw carriage return would reach readers as a line feed.
  EXPECT_EQ(xstring("a\r\nb\rc"), "a_x000D_\nb_x000D_c");
  EXPECT_EQ(xstring("_x000D_"), "_x005F_x000D_");
  EXPECT_EQ(xstring("_x000d_ _x00G0_ _x"), "_x005F_x000d_ _x00G0_ _x");
  std::string all;
  for (char32_t c = 1; c < 0x80; ++c)
    all += static_cast<char>(c);
  all += "\xEF\xBF\xBE_x0041__x005F_x0041_\xF0\x9F\x98\x80";
  const std::string written = xstring(all);
  EXPECT_EQ(written.find_first_of("\r\x01\x1F"), std::string::npos);
  // The XML parser undoes the markup escapes; the rest is decodeXstring's.
  std::string unmarked = written;
  for (auto [from, to] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}})
    for (size_t at; (at = unmarked.find(from)) != std::string::npos;)
      unmarked.replace(at, std::string_view(from).size(), to);
  EXPECT_EQ(decodeXstring(unmarked), all);
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

TEST(SharedStrings, EscapesAreDecodedRunByRun) {
  SharedStrings strings;
  // An escape split over two runs is no escape; each run's own escapes are.
  strings.load("<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
               "<si><t>a_x000D_b</t></si>"
               "<si><r><t>x_x00</t></r><r><t>41_</t></r><r><t>_x000D_</t></r></si></sst>");
  EXPECT_EQ(strings.text(0), "a\rb");
  EXPECT_EQ(strings.text(1), "x_x0041_\r");
}

TEST(SharedStrings, RichItemsFromPrefixedPartsAreWrittenWithoutTheirPrefix) {
  // Our part binds the spreadsheet namespace as the default one: a prefix taken along from the
  // source part would be unbound there, and the workbook damaged.
  SharedStrings strings;
  strings.load("<x:sst xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
               "xmlns:o=\"urn:other\"><x:si><x:r><x:rPr><x:b/></x:rPr><x:t>bold</x:t></x:r>"
               "<x:r><x:t>_x000D_</x:t><o:mark/></x:r></x:si></x:sst>");
  EXPECT_EQ(strings.text(0), "bold\r");
  std::string xml;
  strings.write([&](std::string_view piece) { xml += piece; });
  EXPECT_NE(xml.find("<si><r><rPr><b/></rPr><t>bold</t></r><r><t>_x000D_</t>"
                     "<o:mark xmlns:o=\"urn:other\"/></r></si>"),
            std::string::npos)
      << xml;
}

TEST(CellTextLimit, CutsAtTheLastWholeCharacterWithinTheLimit) {
  EXPECT_EQ(cellTextFit(std::string(32767, 'a')), 32767u);
  EXPECT_EQ(cellTextFit(std::string(40000, 'a')), 32767u);
  // Two-byte characters are one unit each; the cut falls between characters.
  std::string accents;
  for (int i = 0; i < 33000; ++i)
    accents += "\xC3\xA9";
  EXPECT_EQ(cellTextFit(accents), 2u * 32767u);
  // A character outside the BMP needs two units: never split, left out when only one is free.
  const std::string emoji = "\xF0\x9F\x98\x80";
  EXPECT_EQ(cellTextFit(std::string(32766, 'a') + emoji), 32766u);
  EXPECT_EQ(cellTextFit(std::string(32765, 'a') + emoji + "b"), 32765u + 4u);
  EXPECT_TRUE(fitsInCell(std::string(32765, 'a') + emoji));
  EXPECT_FALSE(fitsInCell(std::string(32766, 'a') + emoji));
}

TEST(SharedStrings, LongTextIsCountedAndCutOnlyWhenWritten) {
  SharedStrings strings;
  const std::string longText = std::string(32767, 'a') + "tail";
  const uint32_t index = strings.add(longText);
  strings.add(longText);
  strings.add("short");
  EXPECT_EQ(strings.overlongAdds(), 2u);
  EXPECT_EQ(strings.text(index), longText); // text files take it whole
  std::string xml;
  strings.write([&](std::string_view piece) { xml += piece; });
  EXPECT_NE(xml.find("<si><t>" + std::string(32767, 'a') + "</t></si>"), std::string::npos);
  EXPECT_EQ(xml.find("tail"), std::string::npos);
}

} // namespace
} // namespace brevant
