#include "engine/components/spreadsheet/io/xml_serialize.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

pugi::xml_document parse(const std::string &xml) {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_string(xml.c_str(), pugi::parse_default | pugi::parse_declaration |
                                               pugi::parse_ws_pcdata_single));
  return doc;
}

TEST(XmlSerialize, DocumentsKeepTheirDeclarationAndTextWithoutIndentation) {
  // A part's own declaration (standalone included) is written back as it was.
  auto declared = parse("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                        "<a x=\"1 &amp; 2\">\n  <b> spaced </b><c/></a>");
  EXPECT_EQ(xmlToString(declared), "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                                   "<a x=\"1 &amp; 2\"><b> spaced </b><c/></a>");
  // Without one, the default declaration; text beyond ASCII stays UTF-8.
  auto bare = parse("<a>\xC3\xA9\xE2\x82\xAC &lt;</a>");
  EXPECT_EQ(xmlToString(bare), "<?xml version=\"1.0\"?><a>\xC3\xA9\xE2\x82\xAC &lt;</a>");
  EXPECT_EQ(xmlToString(pugi::xml_document()), "<?xml version=\"1.0\"?>");
}

TEST(XmlSerialize, NodesAppendWithoutDeclarationAfterWhatIsThere) {
  auto doc = parse("<?xml version=\"1.0\"?><is><r><t xml:space=\"preserve\"> a </t></r>"
                   "<t>b</t></is>");
  std::string out = "prefix:";
  for (auto node : doc.document_element().children())
    appendXmlNode(out, node);
  EXPECT_EQ(out, "prefix:<r><t xml:space=\"preserve\"> a </t></r><t>b</t>");
  // An empty node handle appends nothing.
  appendXmlNode(out, pugi::xml_node());
  EXPECT_EQ(out, "prefix:<r><t xml:space=\"preserve\"> a </t></r><t>b</t>");
}

} // namespace
} // namespace brevant
