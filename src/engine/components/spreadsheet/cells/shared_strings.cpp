#include "engine/components/spreadsheet/cells/shared_strings.h"

#include "engine/components/spreadsheet/io/xml_names.h"

#include <pugixml.hpp>

#include "engine/components/spreadsheet/cells/cell_text_limit.h"
#include "engine/components/spreadsheet/io/rich_text_xml.h"
#include "engine/components/spreadsheet/io/xml_text.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"

namespace brevant {

namespace {

// The text of an <si> or <is>: its <t>, or the <t> of every run; phonetic runs are not text.
void collectText(pugi::xml_node node, std::string &out) {
  for (auto child : node.children()) {
    auto name = localName(child.name());
    if (name == "t")
      out += decodeXstring(child.text().get()); // each run decodes on its own
    else if (name == "r")
      collectText(child, out);
  }
}

} // namespace

void SharedStrings::load(std::string_view xml) {
  pugi::xml_document doc;
  auto result =
      doc.load_buffer(xml.data(), xml.size(), pugi::parse_default | pugi::parse_ws_pcdata_single);
  if (!result)
    throw SpreadsheetError(std::string("The shared strings of the workbook are damaged (") +
                           result.description() + ").");
  for (auto si : doc.document_element().children()) {
    if (localName(si.name()) != "si")
      continue;
    std::string text;
    collectText(si, text);
    bool plain = true;
    for (auto child : si.children())
      plain &= localName(child.name()) == "t";
    if (plain) {
      append(text);
    } else {
      addRich(text, richTextXml(si));
    }
  }
}

uint32_t SharedStrings::append(std::string_view text) {
  Span span{arena_.size(), static_cast<uint32_t>(text.size())};
  arena_.append(text);
  spans_.push_back(span);
  uint32_t index = static_cast<uint32_t>(spans_.size() - 1);
  if ((used_ + 1) * 2 > table_.size())
    grow();
  // Only the first plain item of a text is found by add(); duplicates in a template stay apart,
  // and rich items are never found (they are added through addRich).
  size_t mask = table_.size() - 1;
  for (size_t i = hashOf(text) & mask;; i = (i + 1) & mask) {
    if (table_[i] == 0) {
      table_[i] = index + 1;
      ++used_;
      break;
    }
    if (this->text(table_[i] - 1) == text)
      break;
  }
  return index;
}

void SharedStrings::grow() {
  std::vector<uint32_t> old = std::move(table_);
  table_.assign(std::max<size_t>(old.size() * 2, 1024), 0);
  size_t mask = table_.size() - 1;
  for (uint32_t slot : old) {
    if (slot == 0)
      continue;
    for (size_t i = hashOf(text(slot - 1)) & mask;; i = (i + 1) & mask)
      if (table_[i] == 0) {
        table_[i] = slot;
        break;
      }
  }
}

uint32_t SharedStrings::add(std::string_view text) {
  if (!table_.empty()) {
    size_t mask = table_.size() - 1;
    for (size_t i = hashOf(text) & mask; table_[i] != 0; i = (i + 1) & mask) {
      uint32_t index = table_[i] - 1;
      if (this->text(index) == text) {
        overlongAdds_ += !fitsInCell(text);
        return index;
      }
    }
  }
  if (!isValidUtf8(text))
    return add(repairUtf8(text));
  overlongAdds_ += !fitsInCell(text);
  return append(text);
}

uint32_t SharedStrings::addRich(std::string_view plainText, std::string innerXml) {
  Span span{arena_.size(), static_cast<uint32_t>(plainText.size())};
  arena_.append(plainText);
  spans_.push_back(span);
  uint32_t index = static_cast<uint32_t>(spans_.size() - 1);
  rich_[index] = std::move(innerXml);
  return index;
}

std::string_view SharedStrings::text(uint32_t index) const {
  const Span &s = spans_[index];
  return std::string_view(arena_).substr(s.offset, s.length);
}

void SharedStrings::write(const std::function<void(std::string_view)> &out) const {
  std::string buf = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                    "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                    "uniqueCount=\"" +
                    std::to_string(spans_.size()) + "\">";
  for (uint32_t i = 0; i < spans_.size(); ++i) {
    if (auto it = rich_.find(i); it != rich_.end()) {
      buf += "<si>";
      buf += it->second;
      buf += "</si>";
    } else {
      std::string_view t = text(i);
      t = t.substr(0, cellTextFit(t));
      bool preserve = !t.empty() && (t.front() == ' ' || t.back() == ' ' ||
                                     t.find_first_of("\t\n\r") != std::string_view::npos);
      buf += preserve ? "<si><t xml:space=\"preserve\">" : "<si><t>";
      appendXstring(buf, t);
      buf += "</t></si>";
    }
    if (buf.size() > (1 << 20)) {
      out(buf);
      buf.clear();
    }
  }
  buf += "</sst>";
  out(buf);
}

} // namespace brevant
