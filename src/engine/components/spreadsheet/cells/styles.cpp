#include "engine/components/spreadsheet/cells/styles.h"
#include "engine/components/spreadsheet/io/c_numbers.h"

#include "engine/components/spreadsheet/io/xml_names.h"

#include <cstdlib>

#include "engine/components/spreadsheet/io/xml_serialize.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"

namespace brevant {

namespace {

constexpr const char *kDefaultStylesheet =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts count=\"1\"><font><sz val=\"11\"/><color theme=\"1\"/><name val=\"Calibri\"/>"
    "<family val=\"2\"/><scheme val=\"minor\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
    "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
    "</cellStyleXfs>"
    "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
    "</cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
    "<dxfs count=\"0\"/><tableStyles count=\"0\"/></styleSheet>";

} // namespace

Styles::Styles() = default;
Styles::~Styles() = default;

void Styles::load(std::string_view xml) {
  auto result = doc_.load_buffer(xml.data(), xml.size(),
                                 pugi::parse_default | pugi::parse_declaration |
                                     pugi::parse_ws_pcdata_single);
  if (!result)
    throw SpreadsheetError(std::string("The styles of the workbook are damaged (") +
                           result.description() + ").");
  auto root = doc_.document_element();
  if (localName(root.name()) != "styleSheet")
    throw SpreadsheetError("The styles part of the workbook is not a stylesheet.");
  for (auto fmt : child(root, "numFmts").children())
    if (localName(fmt.name()) == "numFmt")
      customFormats_[fmt.attribute("numFmtId").as_int()] = fmt.attribute("formatCode").value();
  cellXfs_ = child(root, "cellXfs");
  if (!cellXfs_) {
    // Without cell formats every cell is General; make the list so dates can get a format.
    auto after = child(root, "cellStyleXfs");
    cellXfs_ = after ? root.insert_child_after("cellXfs", after) : root.append_child("cellXfs");
    auto xf = cellXfs_.append_child("xf");
    xf.append_attribute("numFmtId") = 0;
  }
  for (auto xf : cellXfs_.children()) {
    if (localName(xf.name()) != "xf")
      continue;
    xfs_.push_back(xf);
    xfFormat_.push_back(xf.attribute("numFmtId").as_int());
  }
}

void Styles::createDefault() {
  load(kDefaultStylesheet);
  modified_ = true;
}

int Styles::numberFormatId(uint32_t style) const {
  return style < xfFormat_.size() ? xfFormat_[style] : 0;
}

std::string Styles::formatCode(uint32_t style) const {
  int id = numberFormatId(style);
  if (auto it = customFormats_.find(id); it != customFormats_.end())
    return it->second;
  auto builtin = builtinNumberFormat(id);
  return builtin.empty() ? "General" : std::string(builtin);
}

const NumberFormat &Styles::numberFormat(uint32_t style) {
  int id = numberFormatId(style);
  auto &slot = compiled_[id];
  if (!slot)
    slot = std::make_unique<NumberFormat>(formatCode(style));
  return *slot;
}

uint32_t Styles::dateStyle(uint32_t style, DateKind kind) {
  if (!numberFormat(style).isGeneral())
    return style;
  int target = kind == DateKind::Date ? 14 : kind == DateKind::DateTime ? 22 : 19;
  return withBuiltinFormat(style, target);
}

uint32_t Styles::withBuiltinFormat(uint32_t style, int target) {
  if (numberFormatId(style) == target)
    return style;
  auto key = std::make_pair(style, target);
  if (auto it = derived_.find(key); it != derived_.end())
    return it->second;
  pugi::xml_node copy;
  if (style < xfs_.size())
    copy = cellXfs_.append_copy(xfs_[style]);
  else
    copy = cellXfs_.append_child("xf");
  auto attr = copy.attribute("numFmtId");
  if (!attr)
    attr = copy.append_attribute("numFmtId");
  attr = target;
  auto apply = copy.attribute("applyNumberFormat");
  if (!apply)
    apply = copy.append_attribute("applyNumberFormat");
  apply = 1;
  xfs_.push_back(copy);
  xfFormat_.push_back(target);
  auto count = cellXfs_.attribute("count");
  if (count)
    count = static_cast<unsigned>(xfs_.size());
  modified_ = true;
  uint32_t index = static_cast<uint32_t>(xfs_.size() - 1);
  derived_[key] = index;
  return index;
}

const CellFont &Styles::defaultFont() {
  font(0);
  return fonts_.front();
}

const CellFont &Styles::font(uint32_t style) {
  if (!fontsRead_) {
    fontsRead_ = true;
    for (auto f : child(doc_.document_element(), "fonts").children()) {
      if (localName(f.name()) != "font")
        continue;
      CellFont font;
      if (auto name = child(f, "name"))
        font.name = name.attribute("val").value();
      if (auto size = child(f, "sz"); size && attributeNumber(size.attribute("val")) > 0)
        font.size = attributeNumber(size.attribute("val"));
      if (auto bold = child(f, "b"))
        font.bold = bold.attribute("val").empty() || bold.attribute("val").as_bool();
      fonts_.push_back(font);
    }
    if (fonts_.empty())
      fonts_.emplace_back();
  }
  size_t id = style < xfs_.size() ? xfs_[style].attribute("fontId").as_uint() : 0;
  return fonts_[id < fonts_.size() ? id : 0];
}

std::string Styles::serialize() const { return xmlToString(doc_); }

} // namespace brevant
