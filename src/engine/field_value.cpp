#include "engine/field_value.h"
#include "engine/components/spreadsheet/io/c_numbers.h"

#include "engine/components/database/database_constants.h"

#include <cstdio>
#include <stdexcept>

namespace brevant {

Variant GetFieldValue(Field &field) {
  try {
    if ((field.Attributes() & adFldLong) == 0)
      return field.Value();
    std::string whole;
    bool binary = false;
    for (;;) {
      Variant chunk = field.GetChunk(kFieldChunkSize);
      if (const auto *text = std::get_if<std::string>(&chunk)) {
        if (text->empty())
          break;
        whole += *text;
      } else if (const auto *bytes = std::get_if<BinaryValue>(&chunk)) {
        if (bytes->bytes.empty())
          break;
        binary = true;
        whole += bytes->bytes;
      } else {
        if (isNull(chunk) && whole.empty() && !binary)
          return chunk; // a Null long value leaves the cell empty
        break;
      }
    }
    if (binary)
      return BinaryValue{std::move(whole)};
    return whole;
  } catch (const std::exception &) {
    return std::string("#Error");
  }
}

namespace {

std::string twoDigits(int v) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02d", v);
  return buffer;
}

std::string dateText(const DateValue &d) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", d.year, d.month, d.day);
  return buffer;
}

std::string timeText(const TimeValue &t) {
  return twoDigits(t.hour) + ":" + twoDigits(t.minute) + ":" + twoDigits(t.second);
}

} // namespace

std::string variantText(const Variant &value) {
  struct Visitor {
    std::string operator()(std::monostate) const {
      throw std::runtime_error("Invalid use of Null: a Null value cannot be converted to text.");
    }
    std::string operator()(bool b) const { return b ? "True" : "False"; }
    std::string operator()(int64_t v) const { return std::to_string(v); }
    std::string operator()(double v) const {
      char buffer[32];
      snprintfC(buffer, sizeof buffer, "%.15g", v);
      return buffer;
    }
    std::string operator()(const DecimalValue &v) const { return v.text; }
    std::string operator()(const std::string &v) const { return v; }
    std::string operator()(const DateValue &v) const { return dateText(v); }
    std::string operator()(const TimeValue &v) const { return timeText(v); }
    std::string operator()(const DateTimeValue &v) const {
      return dateText(v.date) + " " + timeText(v.time);
    }
    std::string operator()(const BinaryValue &v) const { return v.bytes; }
  };
  return std::visit(Visitor{}, value);
}

} // namespace brevant
