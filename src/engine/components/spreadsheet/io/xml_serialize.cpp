#include "engine/components/spreadsheet/io/xml_serialize.h"

namespace brevant {

namespace {

struct StringWriter : pugi::xml_writer {
  explicit StringWriter(std::string &target) : out(target) {}
  std::string &out;
  void write(const void *data, size_t size) override {
    out.append(static_cast<const char *>(data), size);
  }
};

} // namespace

std::string xmlToString(const pugi::xml_document &document) {
  std::string out;
  StringWriter w(out);
  document.save(w, "", pugi::format_raw, pugi::encoding_utf8);
  return out;
}

void appendXmlNode(std::string &out, const pugi::xml_node &node) {
  StringWriter w(out);
  node.print(w, "", pugi::format_raw);
}

} // namespace brevant
