// Formula text read into trees: the spreadsheet's precedence, every reference form a workbook
// stores, array constants, omitted arguments, and text that is no formula.

#include <gtest/gtest.h>

#include "engine/components/spreadsheet/formulas/formula_parser.h"
#include "engine/components/spreadsheet/formulas/reference_shifter.h"

namespace brevant {
namespace {

// Sheets "First" (0), "Second" (1), "My 'x'" (2), "Third" (3); formulas live on "Second".
std::optional<int32_t> findSheet(std::string_view name) {
  std::string n(name);
  for (char &c : n)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (n == "first")
    return 0;
  if (n == "second")
    return 1;
  if (n == "my 'x'")
    return 2;
  if (n == "third")
    return 3;
  return std::nullopt;
}

// The tree written back in prefix form, to compare structure in one line.
std::string show(const FormulaTree &t, uint32_t i) {
  const FormulaNode &n = t.nodes[i];
  auto kids = [&] {
    std::string s;
    for (uint32_t k = 0; k < n.operandCount; ++k)
      s += (k ? " " : "") + show(t, t.operand(n, k));
    return s;
  };
  static const char *ops[] = {"+", "-", "*", "/", "^", "&", "=", "<>", "<", "<=", ">", ">="};
  switch (n.kind) {
  case NodeKind::Number: {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", n.number);
    return buf;
  }
  case NodeKind::Text:
    return "\"" + n.text + "\"";
  case NodeKind::Boolean:
    return n.number != 0 ? "TRUE" : "FALSE";
  case NodeKind::Error:
    return std::string(errorText(n.error));
  case NodeKind::Reference:
    return (n.sheetMissing ? std::string("?!") : "") + std::to_string(n.area.firstSheet) +
           (n.area.lastSheet != n.area.firstSheet ? ":" + std::to_string(n.area.lastSheet) : "") +
           "!" + formatAddress(n.area.rect, false, false);
  case NodeKind::Name:
    return "name:" + n.text + (n.scopeSheet >= 0 ? "@" + std::to_string(n.scopeSheet) : "");
  case NodeKind::Function:
    return n.text + "(" + kids() + ")";
  case NodeKind::Array:
    return "{" + std::to_string(n.array.rows) + "x" + std::to_string(n.array.columns) + "}";
  case NodeKind::Missing:
    return "_";
  case NodeKind::Negate:
    return "(neg " + kids() + ")";
  case NodeKind::Plus:
    return "(pos " + kids() + ")";
  case NodeKind::Percent:
    return "(% " + kids() + ")";
  case NodeKind::Binary:
    return std::string("(") + ops[static_cast<int>(n.op)] + " " + kids() + ")";
  case NodeKind::Range:
    return "(: " + kids() + ")";
  case NodeKind::Union:
    return "(, " + kids() + ")";
  case NodeKind::Intersect:
    return "(isect " + kids() + ")";
  case NodeKind::TableReference:
    return "table:" + n.text + "[" + n.text2 + "]";
  case NodeKind::External:
    return "external";
  }
  return "?";
}

std::string parsed(std::string_view text) {
  FormulaTree tree;
  if (!parseFormula(text, 1, findSheet, tree))
    return "invalid";
  return show(tree, tree.root());
}

TEST(FormulaParser, OperatorsBindAsTheSpreadsheetBindsThem) {
  // Negation binds tighter than '^' (-2^2 is 4), '^' is left-associative, percent is postfix.
  EXPECT_EQ(parsed("-2^2"), "(^ (neg 2) 2)");
  EXPECT_EQ(parsed("2^3^2"), "(^ (^ 2 3) 2)");
  EXPECT_EQ(parsed("1+2*3-4/5"), "(- (+ 1 (* 2 3)) (/ 4 5))");
  EXPECT_EQ(parsed("50%*2"), "(* (% 50) 2)");
  EXPECT_EQ(parsed("\"a\"&1+2=\"a3\""), "(= (& \"a\" (+ 1 2)) \"a3\")");
  EXPECT_EQ(parsed("A1<=B1<>TRUE"), "(<> (<= 1!A1 1!B1) TRUE)");
  EXPECT_EQ(parsed(" 1 + - + 2 "), "(+ 1 (neg (pos 2)))");
  EXPECT_EQ(parsed("\"say \"\"hi\"\"\""), "\"say \"hi\"\"");
  EXPECT_EQ(parsed("#N/A=#div/0!"), "(= #N/A #DIV/0!)");
  EXPECT_EQ(parsed("1.5E+3-.5"), "(- 1500 0.5)");
}

TEST(FormulaParser, ReferencesInEveryStoredForm) {
  EXPECT_EQ(parsed("$B$3:c4"), "1!B3:C4");
  EXPECT_EQ(parsed("E:E"), "1!E:E");
  EXPECT_EQ(parsed("$5:$7"), "1!5:7");
  EXPECT_EQ(parsed("First!A1"), "0!A1");
  EXPECT_EQ(parsed("'My ''x'''!A1:B2"), "2!A1:B2");
  EXPECT_EQ(parsed("First:Third!B2"), "0:3!B2");
  EXPECT_EQ(parsed("'Third:First'!B2"), "0:3!B2");
  EXPECT_EQ(parsed("Nowhere!A1"), "?!1!A1");
  EXPECT_EQ(parsed("First!#REF!+1"), "(+ #REF! 1)");
  EXPECT_EQ(parsed("A1:INDEX(B:B,2)"), "(: 1!A1 INDEX(1!B:B 2))");
  // Names that look partly like references are names.
  EXPECT_EQ(parsed("Rate*A1B"), "(* name:Rate name:A1B)");
  EXPECT_EQ(parsed("First!Local"), "name:Local@0");
  EXPECT_EQ(parsed("LOG10(A1)"), "LOG10(1!A1)");
  EXPECT_EQ(parsed("[1]Data!A1+'[2]Other sheet'!$B$2"), "(+ external external)");
  EXPECT_EQ(parsed("Sales[Amount]"), "table:Sales[Amount]");
  EXPECT_EQ(parsed("Sales[[#This Row],[Unit Price]]*2"),
            "(* table:Sales[[#This Row],[Unit Price]] 2)");
}

TEST(FormulaParser, UnionIntersectionArraysAndArguments) {
  EXPECT_EQ(parsed("SUM((A1:A3,C1),D1)"), "SUM((, 1!A1:A3 1!C1) 1!D1)");
  EXPECT_EQ(parsed("A1:C3 B2:D4"), "(isect 1!A1:C3 1!B2:D4)");
  EXPECT_EQ(parsed("A1 -B1"), "(- 1!A1 1!B1)");
  EXPECT_EQ(parsed("IF(A1,,2)"), "IF(1!A1 _ 2)");
  EXPECT_EQ(parsed("ROUND(A1,)"), "ROUND(1!A1 _)");
  EXPECT_EQ(parsed("NOW()"), "NOW()");
  EXPECT_EQ(parsed("_xlfn.XLOOKUP(1,{1,2;3,4},{\"a\";-2})"), "_xlfn.XLOOKUP(1 {2x2} {2x1})");
  EXPECT_EQ(parsed("{TRUE,#N/A}"), "{1x2}");
}

TEST(FormulaParser, TextThatIsNoFormulaIsRejected) {
  for (const char *bad : {"", "1+", "(1", "1)", "SUM(1", "{1,2;3}", "\"open", "A1 B1 +", "#WHAT",
                          "{A1}", "1 2", "=="})
    EXPECT_EQ(parsed(bad), "invalid") << bad;
}

TEST(FormulaParser, DeepNestingFailsInsteadOfOverflowing) {
  std::string deep(100000, '(');
  deep += "1";
  deep += std::string(100000, ')');
  EXPECT_EQ(parsed(deep), "invalid");
  std::string minus(100000, '-');
  EXPECT_EQ(parsed(minus + "1"), "invalid");
}

} // namespace
} // namespace brevant
