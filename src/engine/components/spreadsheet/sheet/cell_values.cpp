#include "engine/components/spreadsheet/sheet/cell_values.h"

#include <cmath>
#include <cstdio>

#include "engine/components/spreadsheet/cells/date_serial.h"
#include "engine/components/spreadsheet/cells/shared_strings.h"
#include "engine/components/spreadsheet/cells/styles.h"
#include "engine/components/spreadsheet/io/c_numbers.h"
#include "engine/components/spreadsheet/io/xml_text.h"

namespace brevant {

void storeValue(Cell &cell, const Variant &value, SharedStrings &strings, Styles &styles,
                bool date1904) {
  auto setText = [&](std::string_view text) {
    cell.type = CellType::String;
    cell.index = strings.add(text);
  };
  auto setNumber = [&](double v) {
    if (std::isfinite(v)) {
      cell.type = CellType::Number;
      cell.number = v;
    } else {
      cell.type = CellType::Error;
      cell.index = errorIndex("#NUM!");
    }
  };
  // `fallback` makes the text, only for a date the calendar does not hold.
  auto setDate = [&](std::optional<double> serial, DateKind kind, const auto &fallback) {
    if (!serial) {
      // Outside the spreadsheet's calendar (before 1900): keep the date as text.
      setText(fallback());
      return;
    }
    setNumber(*serial);
    cell.style = styles.dateStyle(cell.style, kind);
  };
  auto isoDate = [](const DateValue &d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return std::string(buf);
  };
  struct Visitor {
    decltype(setText) &text;
    decltype(setNumber) &number;
    decltype(setDate) &date;
    decltype(isoDate) &iso;
    Cell &cell;
    bool date1904;
    void operator()(std::monostate) const { cell.type = CellType::Empty; }
    void operator()(bool b) const {
      cell.type = CellType::Boolean;
      cell.number = b ? 1 : 0;
    }
    void operator()(int64_t i) const { number(static_cast<double>(i)); }
    void operator()(double d) const { number(d); }
    void operator()(const DecimalValue &d) const {
      char *end = nullptr;
      double v = strtodC(d.text.c_str(), &end);
      if (end && *end == '\0' && !d.text.empty())
        number(v);
      else
        text(d.text);
    }
    void operator()(const std::string &s) const { text(s); }
    void operator()(const DateValue &d) const {
      date(dateSerial(d, date1904), DateKind::Date, [&] { return iso(d); });
    }
    void operator()(const TimeValue &t) const {
      date(timeSerial(t), DateKind::Time, [] { return std::string(); });
    }
    void operator()(const DateTimeValue &dt) const {
      bool midnight = dt.time == TimeValue{};
      date(dateTimeSerial(dt, date1904), midnight ? DateKind::Date : DateKind::DateTime, [&] {
        char buf[32];
        std::snprintf(buf, sizeof buf, " %02d:%02d:%02d", dt.time.hour, dt.time.minute,
                      dt.time.second);
        return iso(dt.date) + (midnight ? "" : buf);
      });
    }
    void operator()(const BinaryValue &b) const {
      if (isValidUtf8(b.bytes)) {
        text(b.bytes);
        return;
      }
      static const char *hex = "0123456789ABCDEF";
      std::string out = "0x";
      for (unsigned char c : b.bytes) {
        out += hex[c >> 4];
        out += hex[c & 15];
      }
      text(out);
    }
  };
  std::visit(Visitor{setText, setNumber, setDate, isoDate, cell, date1904}, value);
}

ShownValue shownValue(const Cell &c, const CellStore &store, SharedStrings &strings) {
  ShownValue v{c.type, c.number, {}};
  if (v.type == CellType::String)
    v.text = std::string(strings.text(c.index));
  else if (v.type == CellType::Error)
    v.text = errorTexts()[c.index];
  else if (v.type == CellType::Formula) {
    // The value computed before saving; empty when it could not be computed.
    const Formula &f = store.formula(c.index);
    v.type = f.cachedType;
    v.number = f.cachedNumber;
    v.text = f.cachedText();
  }
  return v;
}

Variant cellValue(const Cell &c, const CellStore &store, SharedStrings &strings, Styles &styles,
                  bool date1904) {
  auto [type, number, text] = shownValue(c, store, strings);
  switch (type) {
  case CellType::Number:
    if (styles.isDateStyle(c.style)) {
      if (auto dt = serialToDateTime(number, date1904)) {
        if (number < 1 && number >= 0)
          return dt->time;
        return *dt;
      }
    }
    return number;
  case CellType::Boolean:
    return number != 0;
  case CellType::String:
  case CellType::Error:
    return std::move(text);
  default:
    return std::monostate{};
  }
}

} // namespace brevant
