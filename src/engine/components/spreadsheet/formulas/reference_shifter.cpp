#include "engine/components/spreadsheet/formulas/reference_shifter.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>

#include "base/case_folding.h"
#include "engine/components/spreadsheet/formulas/reference_lexer.h"

namespace brevant {

namespace {

using namespace reference_lexer;

// One reference found in a formula, with the sheet text that qualifies it.
struct FoundRef {
  bool qualified = false;
  bool external = false; // [1]Sheet!A1: another workbook
  bool threeD = false;   // Sheet1:Sheet3!A1
  std::string sheet;     // unquoted; the first sheet of a 3-D range
  std::string lastSheet;
  Ref ref;
  size_t start = 0, refStart = 0, end = 0; // the sheet prefix, the reference, past its end
};

void appendColumn(std::string &out, const RefPart &p) {
  if (p.columnAbsolute)
    out += '$';
  out += columnName(p.column);
}

void appendRow(std::string &out, const RefPart &p) {
  if (p.rowAbsolute)
    out += '$';
  out += std::to_string(p.row);
}

void appendReference(std::string &out, const Ref &r) {
  if (r.deleted) {
    out += "#REF!";
    return;
  }
  switch (r.kind) {
  case RefKind::Cell:
    appendColumn(out, r.a);
    appendRow(out, r.a);
    break;
  case RefKind::Area:
    appendColumn(out, r.a);
    appendRow(out, r.a);
    out += ':';
    appendColumn(out, r.b);
    appendRow(out, r.b);
    break;
  case RefKind::Columns:
    appendColumn(out, r.a);
    out += ':';
    appendColumn(out, r.b);
    break;
  case RefKind::Rows:
    appendRow(out, r.a);
    out += ':';
    appendRow(out, r.b);
    break;
  }
}

size_t skipQuoted(std::string_view s, size_t i, char quote) {
  // s[i] is the opening quote; returns the index past the closing one.
  ++i;
  while (i < s.size()) {
    if (s[i] == quote) {
      if (i + 1 < s.size() && s[i + 1] == quote) {
        i += 2;
        continue;
      }
      return i + 1;
    }
    ++i;
  }
  return s.size();
}

size_t skipBrackets(std::string_view s, size_t i) {
  int depth = 0;
  while (i < s.size()) {
    if (s[i] == '[')
      ++depth;
    else if (s[i] == ']' && --depth == 0)
      return i + 1;
    else if (s[i] == '\'' && depth > 0 && i + 1 < s.size() && s[i + 1] != ']')
      ++i; // an escaped character inside a structured reference
    ++i;
  }
  return s.size();
}

// Walks the formula, handing every reference to `visit`; a visit that returns true has changed
// the reference, which is then written anew. Everything else is copied as it is.
using Visitor = std::function<bool(FoundRef &)>;

bool rewrite(std::string_view s, std::string *out, const Visitor &visit) {
  bool changed = false;
  size_t i = 0;
  size_t copied = 0; // s[copied, i) is still to be copied to out
  bool afterBracket = false;
  auto flushTo = [&](size_t end) {
    if (out)
      out->append(s.substr(copied, end - copied));
    copied = end;
  };
  while (i < s.size()) {
    char c = s[i];
    if (c == '"') {
      i = skipQuoted(s, i, '"');
      afterBracket = false;
      continue;
    }
    if (c == '[') {
      i = skipBrackets(s, i);
      afterBracket = true;
      continue;
    }
    if (c == '#') {
      ++i;
      while (i < s.size() && (isLetter(s[i]) || isDigit(s[i]) || s[i] == '/'))
        ++i;
      if (i < s.size() && (s[i] == '!' || s[i] == '?'))
        ++i;
      afterBracket = false;
      continue;
    }
    bool external = afterBracket;
    afterBracket = false;
    size_t start = i;
    FoundRef found;
    size_t refStart = i;
    if (c == '\'') {
      size_t end = skipQuoted(s, i, '\'');
      if (end >= s.size() || s[end] != '!') {
        i = end;
        continue;
      }
      std::string name = unquoteSheetName(s.substr(i, end - i));
      found.qualified = true;
      if (!name.empty() && name.front() == '[') {
        found.external = true;
      }
      size_t colon = std::string::npos;
      // 'Sheet1:Sheet3'!A1
      for (size_t k = 0; k < name.size(); ++k)
        if (name[k] == ':') {
          colon = k;
          break;
        }
      if (colon != std::string::npos) {
        found.threeD = true;
        found.sheet = name.substr(0, colon);
        found.lastSheet = name.substr(colon + 1);
      } else {
        found.sheet = name;
      }
      found.external = found.external || external;
      refStart = end + 1;
    } else if (isLetter(c) || c == '_' || c == '\\' || static_cast<unsigned char>(c) >= 0x80) {
      // A sheet prefix: Name! or Name:Name!
      size_t j = i;
      while (j < s.size() && isNameChar(s[j]))
        ++j;
      size_t k = j;
      std::string_view first = s.substr(i, j - i), last;
      if (k < s.size() && s[k] == ':') {
        size_t m = k + 1;
        while (m < s.size() && isNameChar(s[m]))
          ++m;
        if (m < s.size() && s[m] == '!' && m > k + 1) {
          last = s.substr(k + 1, m - k - 1);
          k = m;
        }
      }
      if (k < s.size() && s[k] == '!') {
        found.qualified = true;
        found.external = external;
        found.sheet = std::string(first);
        if (!last.empty()) {
          found.threeD = true;
          found.lastSheet = std::string(last);
        }
        refStart = k + 1;
      }
    } else if (!(c == '$' || isDigit(c))) {
      ++i;
      continue;
    }
    size_t p = refStart;
    std::optional<Ref> ref;
    // A reference cannot directly follow a name character (inside "LOG10" or "x1").
    bool boundary = start == 0 || !(isNameChar(s[start - 1]) || s[start - 1] == '$');
    if (boundary)
      ref = readReference(s, p);
    if (!ref) {
      if (found.qualified) {
        i = refStart; // a sheet-qualified name or #REF!: go on after the '!'
        continue;
      }
      // A name, a function or a number: skip it whole.
      if (isDigit(c)) {
        while (i < s.size() && (isDigit(s[i]) || s[i] == '.'))
          ++i;
        if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
          size_t e = i + 1;
          if (e < s.size() && (s[e] == '+' || s[e] == '-'))
            ++e;
          if (e < s.size() && isDigit(s[e])) {
            i = e;
            while (i < s.size() && isDigit(s[i]))
              ++i;
          }
        }
      } else {
        ++i;
        while (i < s.size() && (isNameChar(s[i]) || s[i] == '$'))
          ++i;
      }
      continue;
    }
    found.ref = *ref;
    found.start = start;
    found.refStart = refStart;
    found.end = p;
    if (visit(found)) {
      changed = true;
      flushTo(start);
      if (out) {
        out->append(s.substr(start, refStart - start));
        appendReference(*out, found.ref);
      }
      copied = p;
    }
    i = p;
  }
  if (out && changed)
    flushTo(s.size());
  return changed;
}

bool refersTo(const FoundRef &f, std::string_view host, std::string_view target) {
  if (f.external)
    return false;
  if (f.threeD)
    return equalsIgnoringCase(f.sheet, target) && equalsIgnoringCase(f.lastSheet, target);
  if (f.qualified)
    return equalsIgnoringCase(f.sheet, target);
  return !host.empty() && equalsIgnoringCase(host, target);
}

// The reference's extent along and across the shift's axis.
struct Extent {
  int32_t *alongFirst = nullptr, *alongLast = nullptr;
  int32_t acrossFirst = 0, acrossLast = 0;
};

bool shiftRef(Ref &r, const SheetShift &shift) {
  if (r.deleted)
    return false;
  int32_t single;
  Extent e;
  bool cellRef = r.kind == RefKind::Cell;
  // Rows move along a row shift, columns along a column shift; whole lines across the axis
  // (columns for a row shift) do not move.
  int32_t RefPart::*along = shift.columns ? &RefPart::column : &RefPart::row;
  int32_t RefPart::*across = shift.columns ? &RefPart::row : &RefPart::column;
  RefKind wholeAlong = shift.columns ? RefKind::Columns : RefKind::Rows;
  RefKind wholeAcross = shift.columns ? RefKind::Rows : RefKind::Columns;
  if (r.kind == wholeAcross)
    return false;
  RefPart &last = cellRef ? r.a : r.b;
  e.alongFirst = &(r.a.*along);
  e.alongLast = &(last.*along);
  if (r.kind == wholeAlong) {
    e.acrossFirst = 1;
    e.acrossLast = shift.columns ? kMaxRows : kMaxColumns;
  } else {
    e.acrossFirst = std::min(r.a.*across, last.*across);
    e.acrossLast = std::max(r.a.*across, last.*across);
  }
  if (e.acrossFirst < shift.bandFirst || e.acrossLast > shift.bandLast)
    return false;
  int32_t lo = std::min(*e.alongFirst, *e.alongLast), hi = std::max(*e.alongFirst, *e.alongLast);
  bool swapped = *e.alongFirst > *e.alongLast;
  ShiftOutcome o = shiftInterval(lo, hi, shift);
  if (o == ShiftOutcome::Unchanged)
    return false;
  if (o == ShiftOutcome::Deleted) {
    r.deleted = true;
    return true;
  }
  if (cellRef) {
    single = lo;
    *e.alongFirst = single;
  } else if (swapped) {
    *e.alongFirst = hi;
    *e.alongLast = lo;
  } else {
    *e.alongFirst = lo;
    *e.alongLast = hi;
  }
  return true;
}

bool movePart(RefPart &p, int32_t rows, int32_t columns, bool hasRow, bool hasColumn) {
  if (hasRow && !p.rowAbsolute) {
    int64_t r = int64_t(p.row) + rows;
    if (r < 1 || r > kMaxRows)
      return false;
    p.row = static_cast<int32_t>(r);
  }
  if (hasColumn && !p.columnAbsolute) {
    int64_t c = int64_t(p.column) + columns;
    if (c < 1 || c > kMaxColumns)
      return false;
    p.column = static_cast<int32_t>(c);
  }
  return true;
}

} // namespace

std::string unquoteSheetName(std::string_view text) {
  if (text.size() < 2 || text.front() != '\'' || text.back() != '\'')
    return std::string(text);
  std::string out;
  for (size_t i = 1; i + 1 < text.size(); ++i) {
    out += text[i];
    if (text[i] == '\'' && i + 2 < text.size() && text[i + 1] == '\'')
      ++i;
  }
  return out;
}

ShiftOutcome shiftInterval(int32_t &first, int32_t &last, const SheetShift &shift) {
  const int32_t limit = shift.limit();
  if (shift.count > 0) {
    if (last < shift.at)
      return ShiftOutcome::Unchanged;
    if (first >= shift.at) {
      if (int64_t(first) + shift.count > limit)
        return ShiftOutcome::Deleted;
      first += shift.count;
    }
    last = static_cast<int32_t>(std::min<int64_t>(int64_t(last) + shift.count, limit));
    return ShiftOutcome::Changed;
  }
  if (shift.count == 0)
    return ShiftOutcome::Unchanged;
  const int32_t n = -shift.count;
  const int32_t end = shift.at + n - 1; // last deleted
  if (last < shift.at)
    return ShiftOutcome::Unchanged;
  if (first > end) {
    first -= n;
    last -= n;
    return ShiftOutcome::Changed;
  }
  if (first >= shift.at && last <= end)
    return ShiftOutcome::Deleted;
  first = std::min(first, shift.at);
  last = last > end ? last - n : shift.at - 1;
  return ShiftOutcome::Changed;
}

ShiftOutcome shiftRect(CellRect &rect, const SheetShift &shift) {
  if (!shift.columns) {
    if (rect.firstColumn < shift.bandFirst || rect.lastColumn > shift.bandLast)
      return ShiftOutcome::Unchanged;
    if (rect.wholeColumns())
      return ShiftOutcome::Unchanged;
    return shiftInterval(rect.firstRow, rect.lastRow, shift);
  }
  if (rect.firstRow < shift.bandFirst || rect.lastRow > shift.bandLast)
    return ShiftOutcome::Unchanged;
  if (rect.wholeRows())
    return ShiftOutcome::Unchanged;
  return shiftInterval(rect.firstColumn, rect.lastColumn, shift);
}

bool shiftFormula(std::string &formula, std::string_view host, std::string_view target,
                  const SheetShift &shift) {
  std::string out;
  bool changed = rewrite(formula, &out, [&](FoundRef &f) {
    if (!refersTo(f, host, target))
      return false;
    return shiftRef(f.ref, shift);
  });
  if (changed)
    formula = std::move(out);
  return changed;
}

namespace {

// Moves a copied reference; one moved off the sheet is marked deleted (it reads #REF!).
void moveRef(Ref &r, int32_t rows, int32_t columns) {
  bool hasRow = r.kind != RefKind::Columns, hasColumn = r.kind != RefKind::Rows;
  bool ok = movePart(r.a, rows, columns, hasRow, hasColumn);
  if (r.kind != RefKind::Cell)
    ok = movePart(r.b, rows, columns, hasRow, hasColumn) && ok;
  if (!ok)
    r.deleted = true;
}

} // namespace

std::string moveFormula(std::string_view formula, int32_t rows, int32_t columns) {
  if (rows == 0 && columns == 0)
    return std::string(formula);
  std::string out;
  bool changed = rewrite(formula, &out, [&](FoundRef &f) {
    if (f.external)
      return false;
    moveRef(f.ref, rows, columns);
    return true;
  });
  return changed ? out : std::string(formula);
}

FormulaCopier::FormulaCopier(std::string formula) : text_(std::move(formula)) {
  size_t copied = 0;
  rewrite(text_, nullptr, [&](FoundRef &f) {
    if (f.external)
      return false;
    pieces_.push_back({copied, f.refStart, f.ref});
    copied = f.end;
    return false;
  });
  tail_ = copied;
}

std::string FormulaCopier::moved(int32_t rows, int32_t columns) const {
  if ((rows == 0 && columns == 0) || pieces_.empty())
    return text_;
  std::string out;
  out.reserve(text_.size() + 8);
  for (const Piece &piece : pieces_) {
    out.append(text_, piece.textFrom, piece.textTo - piece.textFrom);
    Ref r = piece.ref;
    moveRef(r, rows, columns);
    appendReference(out, r);
  }
  out.append(text_, tail_);
  return out;
}

FormulaReach formulaReach(std::string_view formula, std::string_view host) {
  FormulaReach reach;
  rewrite(formula, nullptr, [&](FoundRef &f) {
    if (f.external)
      return false;
    bool self = (!f.qualified && !host.empty()) ||
                (f.qualified && !f.threeD && equalsIgnoringCase(f.sheet, host));
    if (!self) {
      reach.otherSheets = true;
      if (f.threeD)
        reach.hostColumns = true; // a range of sheets may hold the host
      return false;
    }
    reach.hostColumns = true;
    if (f.ref.kind == RefKind::Columns)
      return false;
    int32_t last = f.ref.a.row;
    if (f.ref.kind == RefKind::Area || f.ref.kind == RefKind::Rows)
      last = std::max(last, f.ref.b.row);
    reach.maxRow = std::max(reach.maxRow, last);
    return false;
  });
  return reach;
}

} // namespace brevant
