#pragma once
// The workbook's cell formats (styles.xml): which number format each cell style shows, and the
// date formats a General cell takes on when a date is written into it. The stylesheet is kept as
// a document so everything it holds (fonts, fills, borders, differential formats, extensions)
// is written back; only cell formats are ever added.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "engine/components/spreadsheet/cells/number_format.h"

namespace brevant {

enum class DateKind { Date, DateTime, Time };

struct CellFont {
  std::string name = "Calibri";
  double size = 11; // points
  bool bold = false;
};

class Styles {
public:
  Styles();
  ~Styles();
  void load(std::string_view xml);
  // A stylesheet with the one default format, for workbooks that have none.
  void createDefault();

  int numberFormatId(uint32_t style) const;
  [[nodiscard]] std::string formatCode(uint32_t style) const;
  const NumberFormat &numberFormat(uint32_t style);
  [[nodiscard]] bool isDateStyle(uint32_t style) { return numberFormat(style).isDateTime(); }

  // The style to give a cell of `style` that receives a date: itself unless its number format
  // is General, else a copy of it with the date, date-time or time format.
  uint32_t dateStyle(uint32_t style, DateKind kind);
  // A copy of `style` showing the built-in number format `numFmtId` (made once, then reused).
  uint32_t withBuiltinFormat(uint32_t style, int numFmtId);

  // The font of cells of `style`; font 0 is the workbook's default font.
  const CellFont &font(uint32_t style);
  const CellFont &defaultFont();

  [[nodiscard]] bool modified() const { return modified_; }
  std::string serialize() const;

private:
  pugi::xml_document doc_;
  pugi::xml_node cellXfs_;
  std::vector<pugi::xml_node> xfs_;
  std::vector<int> xfFormat_;
  std::map<int, std::string> customFormats_;
  std::map<std::pair<uint32_t, int>, uint32_t> derived_;
  std::map<int, std::unique_ptr<NumberFormat>> compiled_;
  bool modified_ = false;
  std::vector<CellFont> fonts_; // read on first use
  bool fontsRead_ = false;
};

} // namespace brevant
