#include "engine/components/spreadsheet/io/text_files.h"
#include "engine/components/spreadsheet/io/c_numbers.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "base/pending_files.h"
#include "engine/components/spreadsheet/cells/date_serial.h"
#include "engine/components/spreadsheet/cells/number_format.h"
#include "engine/components/spreadsheet/cells/styles.h"
#include "engine/components/spreadsheet/io/saved_file.h"
#include "engine/components/spreadsheet/io/xml_text.h"
#include "engine/components/spreadsheet/sheet/cell_values.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "engine/components/spreadsheet/workbook.h"
#include "engine/components/spreadsheet/worksheet.h"

namespace brevant {

namespace {

void appendUtf16(std::string &out, std::string_view utf8) {
  for (size_t i = 0; i < utf8.size();) {
    auto c = static_cast<unsigned char>(utf8[i]);
    char32_t cp;
    size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
    cp = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
    for (size_t k = 1; k < n && i + k < utf8.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += n;
    auto unit = [&](char16_t u) {
      out += static_cast<char>(u & 0xFF);
      out += static_cast<char>(u >> 8);
    };
    if (cp >= 0x10000) {
      cp -= 0x10000;
      unit(static_cast<char16_t>(0xD800 + (cp >> 10)));
      unit(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      unit(static_cast<char16_t>(cp));
    }
  }
}

size_t displayWidth(std::string_view utf8) {
  size_t n = 0;
  for (char c : utf8)
    n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

std::string cellText(Workbook &book, CellStore &store, const Cell &c, bool &isNumber) {
  isNumber = false;
  auto [type, number, text] = shownValue(c, store, book.sharedStrings());
  const NumberFormat &fmt = book.styles().numberFormat(c.style);
  switch (type) {
  case CellType::Number:
    isNumber = true;
    return fmt.format(number, book.date1904());
  case CellType::Boolean:
    return number != 0 ? "TRUE" : "FALSE";
  case CellType::String:
    return fmt.formatText(text);
  case CellType::Error:
    return std::move(text);
  default:
    return {};
  }
}

void appendDelimited(std::string &line, const std::string &field, char separator) {
  bool quote = field.find_first_of(std::string("\"\r\n") + separator) != std::string::npos;
  if (!quote) {
    line += field;
    return;
  }
  line += '"';
  for (char c : field) {
    line += c;
    if (c == '"')
      line += '"';
  }
  line += '"';
}

// A text field typed as the spreadsheet types what it reads from a text file.
struct TypedValue {
  Variant value;
  int formatId = 0; // a built-in number format the cell takes on, if any
};

std::optional<double> parsePlainNumber(std::string_view s, bool allowGrouping) {
  std::string clean;
  bool digits = false;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digits = true;
      clean += c;
    } else if (c == ',' && allowGrouping && digits) {
      continue;
    } else if (c == '.' || c == 'e' || c == 'E' ||
               ((c == '-' || c == '+') && (i == 0 || s[i - 1] == 'e' || s[i - 1] == 'E'))) {
      clean += c;
    } else {
      return std::nullopt;
    }
  }
  if (!digits)
    return std::nullopt;
  char *end = nullptr;
  double v = strtodC(clean.c_str(), &end);
  if (*end != '\0' || !std::isfinite(v))
    return std::nullopt;
  return v;
}

TypedValue typeField(const std::string &field) {
  std::string_view s = field;
  while (!s.empty() && s.front() == ' ')
    s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ')
    s.remove_suffix(1);
  if (s.empty())
    return {std::string(field)};
  if (s == "TRUE" || s == "true" || s == "True")
    return {true};
  if (s == "FALSE" || s == "false" || s == "False")
    return {false};
  bool hasGrouping = s.find(',') != std::string_view::npos;
  if (auto n = parsePlainNumber(s, true))
    return {*n, hasGrouping ? 3 : 0};
  if (s.size() > 1 && s.back() == '%')
    if (auto n = parsePlainNumber(s.substr(0, s.size() - 1), true))
      return {*n / 100.0, 9};
  // Dates: m/d/yyyy or yyyy-mm-dd, optionally followed by h:mm[:ss].
  int a = 0, b = 0, c = 0, h = -1, mi = 0, sec = 0, consumed = 0;
  std::string text(s);
  DateValue d;
  bool isDate = false;
  if (std::sscanf(text.c_str(), "%d/%d/%d%n", &a, &b, &c, &consumed) == 3) {
    d = {static_cast<int16_t>(c < 100 ? (c < 30 ? 2000 + c : 1900 + c) : c),
         static_cast<uint8_t>(a), static_cast<uint8_t>(b)};
    isDate = a >= 1 && a <= 12 && b >= 1 && b <= 31;
  } else if (std::sscanf(text.c_str(), "%d-%d-%d%n", &a, &b, &c, &consumed) == 3 && a > 999) {
    d = {static_cast<int16_t>(a), static_cast<uint8_t>(b), static_cast<uint8_t>(c)};
    isDate = b >= 1 && b <= 12 && c >= 1 && c <= 31;
  }
  if (isDate) {
    std::string rest = text.substr(static_cast<size_t>(consumed));
    int n2 = 0;
    if (!rest.empty()) {
      if (std::sscanf(rest.c_str(), " %d:%d:%d%n", &h, &mi, &sec, &n2) < 3) {
        sec = 0;
        n2 = 0;
        if (std::sscanf(rest.c_str(), " %d:%d%n", &h, &mi, &n2) < 2)
          return {std::string(field)};
      }
      if (static_cast<size_t>(n2) != rest.size() || h > 23 || mi > 59 || sec > 59)
        return {std::string(field)};
    }
    if (auto serial = dateSerial(d)) {
      if (h >= 0) {
        DateTimeValue dt{
            d, {static_cast<uint8_t>(h), static_cast<uint8_t>(mi), static_cast<uint8_t>(sec), 0}};
        return {dt};
      }
      return {d};
    }
  }
  return {std::string(field)};
}

} // namespace

void exportText(Worksheet &sheet, const SaveFormat &format, const std::string &path) {
  Workbook &book = sheet.Parent();
  CellStore &store = sheet.cells();
  // From A1 to the last cell holding a value, so that every value keeps its position.
  int32_t lastRow = 0, lastColumn = 0;
  for (int32_t r = 1; r <= store.rowCount(); ++r)
    for (const Cell &c : store.row(r)->cells)
      if (c.type != CellType::Empty) {
        lastRow = r;
        lastColumn = std::max<int32_t>(lastColumn, c.column);
      }
  std::vector<size_t> widths;
  if (format.kind == SaveKind::Formatted)
    for (int32_t c = 1; c <= lastColumn; ++c)
      widths.push_back(static_cast<size_t>(std::max(1.0, std::round(sheet.columnWidth(c)))));

  SavedFile file(path);
  std::string out;
  if (format.utf8Bom)
    out += "\xEF\xBB\xBF";
  if (format.utf16)
    out += "\xFF\xFE";
  std::string line;
  std::vector<std::string> fields;
  std::vector<bool> numeric;
  for (int32_t r = 1; r <= lastRow; ++r) {
    fields.assign(static_cast<size_t>(lastColumn), std::string());
    numeric.assign(static_cast<size_t>(lastColumn), false);
    if (const Row *row = store.row(r))
      for (const Cell &c : row->cells) {
        bool isNumber;
        fields[c.column - 1] = cellText(book, store, c, isNumber);
        numeric[c.column - 1] = isNumber;
      }
    line.clear();
    for (int32_t c = 0; c < lastColumn; ++c) {
      if (format.kind == SaveKind::Formatted) {
        const std::string &f = fields[c];
        size_t w = displayWidth(f);
        size_t pad = widths[c] > w ? widths[c] - w : 0;
        if (numeric[c])
          line.append(pad, ' ').append(f);
        else
          line.append(f).append(pad, ' ');
      } else {
        if (c > 0)
          line += format.separator;
        appendDelimited(line, fields[c], format.separator);
      }
    }
    if (format.kind == SaveKind::Formatted)
      while (!line.empty() && line.back() == ' ')
        line.pop_back();
    line += format.lineEnd;
    if (format.utf16)
      appendUtf16(out, line);
    else
      out += line;
    if (out.size() > (1 << 20)) {
      file.write(out);
      out.clear();
    }
  }
  file.write(out);
  file.commit();
}

std::string decodeTextFile(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
    return repairUtf8(bytes.substr(3));
  bool le = bytes.substr(0, 2) == "\xFF\xFE", be = bytes.substr(0, 2) == "\xFE\xFF";
  if (le || be) {
    std::string out;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      auto lo = static_cast<unsigned char>(bytes[i + (be ? 1 : 0)]);
      auto hi = static_cast<unsigned char>(bytes[i + (be ? 0 : 1)]);
      char32_t u = static_cast<char32_t>(hi << 8 | lo);
      if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
        auto lo2 = static_cast<unsigned char>(bytes[i + 2 + (be ? 1 : 0)]);
        auto hi2 = static_cast<unsigned char>(bytes[i + 2 + (be ? 0 : 1)]);
        char32_t u2 = static_cast<char32_t>(hi2 << 8 | lo2);
        if (u2 >= 0xDC00 && u2 <= 0xDFFF) {
          u = 0x10000 + ((u - 0xD800) << 10) + (u2 - 0xDC00);
          i += 2;
        } else {
          u = 0xFFFD;
        }
      } else if (u >= 0xD800 && u <= 0xDFFF) {
        u = 0xFFFD;
      }
      appendUtf8(out, u);
    }
    return out;
  }
  return repairUtf8(bytes);
}

void importDelimitedText(std::string_view text, char separator, Worksheet &sheet) {
  int32_t row = 1, column = 1;
  std::string field;
  bool quoted = false, fieldStarted = false;
  auto flush = [&] {
    if (!field.empty() && column <= kMaxColumns && row <= kMaxRows) {
      TypedValue typed = typeField(field);
      sheet.writeValue(row, column, typed.value);
      if (typed.formatId) {
        Cell &cell = sheet.cells().at(row, column);
        cell.style = sheet.Parent().styles().withBuiltinFormat(cell.style, typed.formatId);
      }
    }
    field.clear();
    quoted = false;
    fieldStarted = false;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quoted && fieldStarted) {
      if (c == '"') {
        if (i + 1 < text.size() && text[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          fieldStarted = false; // closing quote; text after it joins the field
        }
      } else {
        field += c;
      }
      continue;
    }
    if (c == '"' && field.empty() && !quoted) {
      quoted = fieldStarted = true;
    } else if (c == separator) {
      flush();
      ++column;
    } else if (c == '\r' || c == '\n') {
      flush();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
        ++i;
      ++row;
      column = 1;
    } else {
      field += c;
    }
  }
  flush();
}

} // namespace brevant
