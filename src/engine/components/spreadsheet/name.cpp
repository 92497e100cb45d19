#include "engine/components/spreadsheet/name.h"
#include "engine/components/spreadsheet/io/c_numbers.h"
#include "engine/components/spreadsheet/workbook_xml.h"

#include <cmath>
#include <cstdlib>

#include "engine/components/spreadsheet/cells/date_serial.h"
#include "engine/components/spreadsheet/cells/number_format.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "engine/components/spreadsheet/workbook.h"

namespace brevant {

namespace {

// The whole text as a decimal number (blanks around allowed), as a user would type it.
std::optional<double> parseNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ')
    text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ')
    text.remove_suffix(1);
  return plainNumber(text);
}

// A text constant. Formulas hold at most 255 characters in one string literal, so longer text
// is joined from several literals with '&'.
std::string quoted(std::string_view text) {
  std::string out = "\"";
  size_t inLiteral = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    bool startsCharacter = (c & 0xC0) != 0x80;
    if (startsCharacter && inLiteral >= 200) {
      out += "\"&\"";
      inLiteral = 0;
    }
    out += text[i];
    if (c == '"')
      out += '"';
    inLiteral += startsCharacter;
  }
  out += "\"";
  if (out.size() > 8000)
    throw SpreadsheetError("The text is too long to be the value of a defined name.");
  return out;
}

std::string numberText(double v) {
  std::string s = formatGeneral(v);
  return s;
}

} // namespace

std::string Name::NameText() const { return book_->xml().names[index_].attribute("name").value(); }

std::string Name::Value() const {
  return "=" + std::string(book_->xml().names[index_].text().get());
}

std::optional<int> Name::localSheet() const {
  auto attr = book_->xml().names[index_].attribute("localSheetId");
  if (!attr)
    return std::nullopt;
  return attr.as_int();
}

void Name::setRefersTo(std::string_view formula) {
  if (!formula.empty() && formula.front() == '=')
    formula.remove_prefix(1);
  book_->xml().names[index_].text().set(std::string(formula).c_str());
}

void Name::setValue(const Variant &value) {
  struct Visitor {
    bool date1904;
    std::string operator()(std::monostate) const {
      throw SpreadsheetError("A defined name cannot be given an empty value.");
    }
    std::string operator()(bool b) const { return b ? "TRUE" : "FALSE"; }
    std::string operator()(int64_t i) const { return std::to_string(i); }
    std::string operator()(double d) const {
      if (!std::isfinite(d))
        return "#NUM!";
      return numberText(d);
    }
    std::string operator()(const DecimalValue &d) const { return (*this)(d.text); }
    std::string operator()(const std::string &s) const {
      if (auto n = parseNumber(s))
        return numberText(*n);
      return quoted(s);
    }
    std::string operator()(const DateValue &d) const {
      auto s = dateSerial(d, date1904);
      return s ? numberText(*s) : quoted("");
    }
    std::string operator()(const TimeValue &t) const { return numberText(timeSerial(t)); }
    std::string operator()(const DateTimeValue &dt) const {
      auto s = dateTimeSerial(dt, date1904);
      return s ? numberText(*s) : quoted("");
    }
    std::string operator()(const BinaryValue &b) const { return quoted(b.bytes); }
  };
  setRefersTo(std::visit(Visitor{book_->date1904()}, value));
}

} // namespace brevant
