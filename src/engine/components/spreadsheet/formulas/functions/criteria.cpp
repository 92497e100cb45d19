#include "engine/components/spreadsheet/formulas/functions/criteria.h"

#include "base/case_folding.h"
#include "engine/components/spreadsheet/formulas/functions/value_text.h"

namespace brevant::formulas {

Criterion::Criterion(const Scalar &criterion, bool date1904) : date1904_(date1904) {
  if (const auto *d = std::get_if<double>(&criterion)) {
    number_ = *d;
    return;
  }
  if (std::holds_alternative<Blank>(criterion))
    return; // 0
  if (const auto *b = std::get_if<bool>(&criterion)) {
    kind_ = Kind::Boolean;
    boolean_ = *b;
    return;
  }
  if (const auto *e = std::get_if<FormulaError>(&criterion)) {
    kind_ = Kind::Error;
    error_ = *e;
    return;
  }
  std::string_view s = std::get<std::string>(criterion);
  bool explicitOp = true;
  if (s.starts_with("<=")) {
    op_ = Op::LessEqual;
    s.remove_prefix(2);
  } else if (s.starts_with(">=")) {
    op_ = Op::GreaterEqual;
    s.remove_prefix(2);
  } else if (s.starts_with("<>")) {
    op_ = Op::NotEqual;
    s.remove_prefix(2);
  } else if (s.starts_with("<")) {
    op_ = Op::Less;
    s.remove_prefix(1);
  } else if (s.starts_with(">")) {
    op_ = Op::Greater;
    s.remove_prefix(1);
  } else if (s.starts_with("=")) {
    s.remove_prefix(1);
  } else {
    explicitOp = false;
  }
  if (s.empty() && (op_ == Op::Equal || op_ == Op::NotEqual)) {
    // "=" and "<>" alone: empty cells, or cells that are not empty; "" also takes empty texts.
    kind_ = explicitOp ? Kind::Empty : Kind::EmptyOrEmptyText;
    return;
  }
  if (auto n = parseNumberText(s, date1904)) {
    kind_ = Kind::Number;
    number_ = *n;
    return;
  }
  if (equalsIgnoringCase(s, "true") || equalsIgnoringCase(s, "false")) {
    kind_ = Kind::Boolean;
    boolean_ = equalsIgnoringCase(s, "true");
    return;
  }
  if (auto e = parseErrorText(s)) {
    kind_ = Kind::Error;
    error_ = *e;
    return;
  }
  kind_ = Kind::Text;
  text_ = std::string(s);
  if (op_ == Op::Equal || op_ == Op::NotEqual)
    pattern_.emplace(text_);
}

bool Criterion::compare(int order) const {
  switch (op_) {
  case Op::Equal:
    return order == 0;
  case Op::NotEqual:
    return order != 0;
  case Op::Less:
    return order < 0;
  case Op::LessEqual:
    return order <= 0;
  case Op::Greater:
    return order > 0;
  case Op::GreaterEqual:
    return order >= 0;
  }
  return false;
}

bool Criterion::matches(const Scalar &value) const {
  bool equalityOp = op_ == Op::Equal || op_ == Op::NotEqual;
  // Values of another type than the criterion only satisfy "<>".
  bool otherType = op_ == Op::NotEqual;
  switch (kind_) {
  case Kind::Empty:
  case Kind::EmptyOrEmptyText: {
    bool empty = std::holds_alternative<Blank>(value);
    if (kind_ == Kind::EmptyOrEmptyText)
      if (const auto *s = std::get_if<std::string>(&value))
        empty = empty || s->empty();
    return op_ == Op::Equal ? empty : !empty;
  }
  case Kind::Number: {
    if (const auto *d = std::get_if<double>(&value))
      return compare(*d < number_ ? -1 : *d > number_ ? 1 : 0);
    if (const auto *s = std::get_if<std::string>(&value); s && equalityOp) {
      auto n = parseNumberText(*s, date1904_);
      if (n)
        return compare(*n == number_ ? 0 : 1);
    }
    return otherType;
  }
  case Kind::Boolean:
    if (const auto *b = std::get_if<bool>(&value))
      return compare(*b == boolean_ ? 0 : (*b ? 1 : -1));
    return otherType;
  case Kind::Error:
    if (const auto *e = std::get_if<FormulaError>(&value))
      return compare(*e == error_ ? 0 : 1) && equalityOp;
    return otherType;
  case Kind::Text:
    if (const auto *s = std::get_if<std::string>(&value)) {
      if (pattern_)
        return compare(pattern_->matches(*s) ? 0 : 1);
      return compare(compareText(*s, text_));
    }
    if (op_ == Op::NotEqual)
      return true;
    // A blank reads as "" for a text comparison ("<b" takes empty cells in no spreadsheet).
    return false;
  }
  return false;
}

} // namespace brevant::formulas
