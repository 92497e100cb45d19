#include "engine/components/spreadsheet/formulas/formula_parser.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <string>

#include "engine/components/spreadsheet/formulas/function_call.h"
#include "engine/components/spreadsheet/formulas/reference_lexer.h"
#include "engine/components/spreadsheet/formulas/reference_shifter.h"

namespace brevant {

namespace {

using namespace reference_lexer;

enum class TokenKind : uint8_t {
  End,
  Number,
  Text,
  Boolean,
  Error,
  Reference,
  Name,
  Function, // the '(' is consumed with the name
  Table,
  External,
  Operator, // text: "+", "<=", ...
  Open,
  Close,
  Comma,
  Semicolon,
  OpenBrace,
  CloseBrace,
  Colon,
  Bad,
};

struct Token {
  TokenKind kind = TokenKind::End;
  bool spaceBefore = false;
  bool sheetMissing = false;
  int32_t scopeSheet = -1;
  double number = 0;
  FormulaError error = FormulaError::Value;
  SheetArea area;
  std::string_view text;
  std::string_view text2;
};

bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

CellRect rectOf(const Ref &r) {
  switch (r.kind) {
  case RefKind::Cell:
    return {r.a.row, r.a.column, r.a.row, r.a.column};
  case RefKind::Area:
    return {std::min(r.a.row, r.b.row), std::min(r.a.column, r.b.column),
            std::max(r.a.row, r.b.row), std::max(r.a.column, r.b.column)};
  case RefKind::Columns:
    return {1, std::min(r.a.column, r.b.column), kMaxRows, std::max(r.a.column, r.b.column)};
  case RefKind::Rows:
    return {std::min(r.a.row, r.b.row), 1, std::max(r.a.row, r.b.row), kMaxColumns};
  }
  return {};
}

class Parser {
public:
  Parser(std::string_view s, int32_t host, const SheetFinder &find, FormulaTree &tree)
      : s_(s), host_(host), find_(find), tree_(tree) {}

  bool run() {
    tree_.clear();
    advance();
    if (tok_.kind == TokenKind::End)
      return false;
    if (!expression())
      return false;
    return tok_.kind == TokenKind::End;
  }

private:
  // ---- lexing ----
  void advance() {
    bool space = false;
    while (i_ < s_.size() && isSpace(s_[i_])) {
      ++i_;
      space = true;
    }
    tok_ = Token{};
    tok_.spaceBefore = space;
    if (i_ >= s_.size())
      return;
    lex();
  }

  void lex() {
    char c = s_[i_];
    switch (c) {
    case '"':
      lexString();
      return;
    case '#':
      lexError();
      return;
    case '(':
      single(TokenKind::Open);
      return;
    case ')':
      single(TokenKind::Close);
      return;
    case ',':
      single(TokenKind::Comma);
      return;
    case ';':
      single(TokenKind::Semicolon);
      return;
    case '{':
      single(TokenKind::OpenBrace);
      return;
    case '}':
      single(TokenKind::CloseBrace);
      return;
    case ':':
      single(TokenKind::Colon);
      return;
    case '+':
    case '-':
    case '*':
    case '/':
    case '^':
    case '&':
    case '%':
    case '=':
      op(1);
      return;
    case '<':
      op(i_ + 1 < s_.size() && (s_[i_ + 1] == '=' || s_[i_ + 1] == '>') ? 2 : 1);
      return;
    case '>':
      op(i_ + 1 < s_.size() && s_[i_ + 1] == '=' ? 2 : 1);
      return;
    case '\'':
      lexQuotedSheet();
      return;
    case '[':
      lexExternal();
      return;
    default:
      break;
    }
    if (isDigit(c) || c == '$' || (c == '.' && i_ + 1 < s_.size() && isDigit(s_[i_ + 1]))) {
      if (lexReference(host_, host_))
        return;
      if (c != '$') {
        lexNumber();
        return;
      }
    }
    if (isNameChar(c) || c == '$') {
      lexWord();
      return;
    }
    tok_.kind = TokenKind::Bad;
  }

  void single(TokenKind kind) {
    tok_.kind = kind;
    ++i_;
  }

  void op(size_t length) {
    tok_.kind = TokenKind::Operator;
    tok_.text = s_.substr(i_, length);
    i_ += length;
  }

  void lexString() {
    size_t j = i_ + 1;
    text_.clear();
    while (j < s_.size()) {
      if (s_[j] == '"') {
        if (j + 1 < s_.size() && s_[j + 1] == '"') {
          text_ += '"';
          j += 2;
          continue;
        }
        break;
      }
      text_ += s_[j++];
    }
    if (j >= s_.size()) {
      tok_.kind = TokenKind::Bad;
      return;
    }
    i_ = j + 1;
    tok_.kind = TokenKind::Text;
    tok_.text = text_;
  }

  void lexError() {
    static constexpr std::array<FormulaError, 10> all = {
        FormulaError::Null,  FormulaError::Div0, FormulaError::Value, FormulaError::Ref,
        FormulaError::Name,  FormulaError::Num,  FormulaError::NA,    FormulaError::GettingData,
        FormulaError::Spill, FormulaError::Calc};
    for (FormulaError e : all) {
      std::string_view t = errorText(e);
      if (s_.size() - i_ < t.size())
        continue;
      if (parseErrorText(s_.substr(i_, t.size())) == e) {
        tok_.kind = TokenKind::Error;
        tok_.error = e;
        i_ += t.size();
        return;
      }
    }
    tok_.kind = TokenKind::Bad;
  }

  void lexNumber() {
    size_t j = i_;
    while (j < s_.size() && (isDigit(s_[j]) || s_[j] == '.'))
      ++j;
    if (j < s_.size() && (s_[j] == 'e' || s_[j] == 'E')) {
      size_t e = j + 1;
      if (e < s_.size() && (s_[e] == '+' || s_[e] == '-'))
        ++e;
      if (e < s_.size() && isDigit(s_[e])) {
        j = e;
        while (j < s_.size() && isDigit(s_[j]))
          ++j;
      }
    }
    double v = 0;
    auto res = std::from_chars(s_.data() + i_, s_.data() + j, v);
    if (res.ec != std::errc() || res.ptr != s_.data() + j) {
      tok_.kind = TokenKind::Bad;
      return;
    }
    tok_.kind = TokenKind::Number;
    tok_.number = v;
    i_ = j;
  }

  // A reference at i_ on the sheets first..last; false (i_ unchanged) when there is none.
  bool lexReference(int32_t first, int32_t last) {
    size_t j = i_;
    auto ref = readReference(s_, j);
    if (!ref)
      return false;
    tok_.kind = TokenKind::Reference;
    tok_.area = SheetArea{std::min(first, last), std::max(first, last), rectOf(*ref)};
    i_ = j;
    return true;
  }

  // What follows "Sheet!" or "'Sheet'!": a reference, #REF!, or a sheet-scoped name.
  void afterSheet(std::optional<int32_t> first, std::optional<int32_t> last) {
    if (i_ < s_.size() && s_[i_] == '#') {
      lexError();
      return;
    }
    int32_t f = first.value_or(host_), l = last.value_or(f);
    if (lexReference(f, l)) {
      tok_.sheetMissing = !first || !last;
      return;
    }
    size_t j = i_;
    while (j < s_.size() && isNameChar(s_[j]))
      ++j;
    if (j == i_) {
      tok_.kind = TokenKind::Bad;
      return;
    }
    tok_.kind = TokenKind::Name;
    tok_.text = s_.substr(i_, j - i_);
    tok_.scopeSheet = f;
    tok_.sheetMissing = !first;
    i_ = j;
  }

  void lexQuotedSheet() {
    size_t j = i_ + 1;
    while (j < s_.size()) {
      if (s_[j] == '\'') {
        if (j + 1 < s_.size() && s_[j + 1] == '\'') {
          j += 2;
          continue;
        }
        break;
      }
      ++j;
    }
    if (j + 1 >= s_.size() || s_[j + 1] != '!') {
      tok_.kind = TokenKind::Bad;
      return;
    }
    std::string name = unquoteSheetName(s_.substr(i_, j + 1 - i_));
    i_ = j + 2;
    if (!name.empty() && name.front() == '[') {
      skipExternalTarget();
      return;
    }
    size_t colon = name.find(':');
    if (colon == std::string::npos) {
      auto sheet = find_(name);
      afterSheet(sheet, sheet);
    } else {
      afterSheet(find_(std::string_view(name).substr(0, colon)),
                 find_(std::string_view(name).substr(colon + 1)));
    }
  }

  // [1]Sheet1!A1, [1]!Name: another workbook. The whole reference becomes one token.
  void lexExternal() {
    size_t close = s_.find(']', i_);
    if (close == std::string_view::npos) {
      tok_.kind = TokenKind::Bad;
      return;
    }
    i_ = close + 1;
    while (i_ < s_.size() && (isNameChar(s_[i_]) || s_[i_] == ':'))
      ++i_;
    if (i_ < s_.size() && s_[i_] == '!')
      ++i_;
    skipExternalTarget();
  }

  void skipExternalTarget() {
    while (i_ < s_.size() &&
           (isNameChar(s_[i_]) || s_[i_] == '$' || s_[i_] == ':' || s_[i_] == '#' || s_[i_] == '!'))
      ++i_;
    bool space = tok_.spaceBefore;
    tok_ = Token{};
    tok_.kind = TokenKind::External;
    tok_.spaceBefore = space;
  }

  void lexWord() {
    size_t j = i_;
    while (j < s_.size() && isNameChar(s_[j]))
      ++j;
    std::string_view word = s_.substr(i_, j - i_);
    // A sheet prefix: Sheet! or Sheet1:Sheet3!
    if (!word.empty()) {
      size_t k = j;
      std::string_view lastWord;
      if (k < s_.size() && s_[k] == ':') {
        size_t m = k + 1;
        while (m < s_.size() && isNameChar(s_[m]))
          ++m;
        if (m < s_.size() && s_[m] == '!' && m > k + 1) {
          lastWord = s_.substr(k + 1, m - k - 1);
          k = m;
        }
      }
      if (k < s_.size() && s_[k] == '!') {
        i_ = k + 1;
        auto first = find_(word);
        afterSheet(first, lastWord.empty() ? first : find_(lastWord));
        return;
      }
    }
    if (lexReference(host_, host_))
      return;
    if (word.empty()) {
      tok_.kind = TokenKind::Bad;
      return;
    }
    i_ = j;
    if (i_ < s_.size() && s_[i_] == '(') {
      ++i_;
      tok_.kind = TokenKind::Function;
      tok_.text = word;
      return;
    }
    if (i_ < s_.size() && s_[i_] == '[') {
      size_t start = i_;
      int depth = 0;
      while (i_ < s_.size()) {
        char c = s_[i_];
        if (c == '\'' && i_ + 1 < s_.size()) {
          i_ += 2; // an escaped character
          continue;
        }
        if (c == '[')
          ++depth;
        else if (c == ']' && --depth == 0)
          break;
        ++i_;
      }
      if (i_ >= s_.size()) {
        tok_.kind = TokenKind::Bad;
        return;
      }
      tok_.kind = TokenKind::Table;
      tok_.text = word;
      tok_.text2 = s_.substr(start + 1, i_ - start - 1);
      ++i_;
      return;
    }
    if (word.size() == 4 && (word[0] == 'T' || word[0] == 't') &&
        (word == "TRUE" || word == "true" || word == "True")) {
      tok_.kind = TokenKind::Boolean;
      tok_.number = 1;
      return;
    }
    if (word.size() == 5 && (word == "FALSE" || word == "false" || word == "False")) {
      tok_.kind = TokenKind::Boolean;
      return;
    }
    tok_.kind = TokenKind::Name;
    tok_.text = word;
  }

  // ---- parsing ----
  uint32_t add(FormulaNode node) {
    tree_.nodes.push_back(std::move(node));
    return static_cast<uint32_t>(tree_.nodes.size() - 1);
  }

  // A node over operands already in the tree (their indexes in `ops`).
  void addWith(FormulaNode node, const uint32_t *ops, size_t count) {
    node.firstOperand = static_cast<uint32_t>(tree_.operands.size());
    node.operandCount = static_cast<uint32_t>(count);
    tree_.operands.insert(tree_.operands.end(), ops, ops + count);
    last_ = add(std::move(node));
  }

  void unaryNode(NodeKind kind, uint32_t operand) {
    FormulaNode n;
    n.kind = kind;
    addWith(std::move(n), &operand, 1);
  }

  void binaryNode(NodeKind kind, BinaryOp op, uint32_t a, uint32_t b) {
    FormulaNode n;
    n.kind = kind;
    n.op = op;
    uint32_t ops[2] = {a, b};
    addWith(std::move(n), ops, 2);
  }

  bool isOperator(std::string_view text) const {
    return tok_.kind == TokenKind::Operator && tok_.text == text;
  }

  bool expression() { return comparison(); }

  struct LevelOperator {
    std::string_view text;
    BinaryOp op;
  };

  // One level of left-associative binary operators over the level below it.
  bool binaryLevel(std::initializer_list<LevelOperator> operators, bool (Parser::*next)()) {
    if (!(this->*next)())
      return false;
    for (;;) {
      const LevelOperator *found = nullptr;
      for (const LevelOperator &o : operators)
        if (!found && isOperator(o.text))
          found = &o;
      if (!found)
        return true;
      if (!binaryRest(found->op, next))
        return false;
    }
  }

  bool comparison() {
    return binaryLevel({{"=", BinaryOp::Equal},
                        {"<>", BinaryOp::NotEqual},
                        {"<", BinaryOp::Less},
                        {"<=", BinaryOp::LessEqual},
                        {">", BinaryOp::Greater},
                        {">=", BinaryOp::GreaterEqual}},
                       &Parser::concatenation);
  }

  bool binaryRest(BinaryOp op, bool (Parser::*next)()) {
    uint32_t left = last_;
    advance();
    if (!(this->*next)())
      return false;
    binaryNode(NodeKind::Binary, op, left, last_);
    return true;
  }

  bool concatenation() { return binaryLevel({{"&", BinaryOp::Concat}}, &Parser::additive); }

  bool additive() {
    return binaryLevel({{"+", BinaryOp::Add}, {"-", BinaryOp::Subtract}}, &Parser::multiplicative);
  }

  bool multiplicative() {
    return binaryLevel({{"*", BinaryOp::Multiply}, {"/", BinaryOp::Divide}}, &Parser::power);
  }

  bool power() { return binaryLevel({{"^", BinaryOp::Power}}, &Parser::postfix); }

  bool postfix() {
    if (!prefix())
      return false;
    while (isOperator("%")) {
      advance();
      unaryNode(NodeKind::Percent, last_);
    }
    return true;
  }

  bool prefix() {
    if (++depth_ > kMaxDepth)
      return false;
    bool ok;
    if (isOperator("-") || isOperator("+")) {
      NodeKind kind = tok_.text == "-" ? NodeKind::Negate : NodeKind::Plus;
      advance();
      ok = prefix();
      if (ok)
        unaryNode(kind, last_);
    } else {
      ok = intersection();
    }
    --depth_;
    return ok;
  }

  bool startsReferenceOperand() const {
    switch (tok_.kind) {
    case TokenKind::Reference:
    case TokenKind::Name:
    case TokenKind::Function:
    case TokenKind::Table:
    case TokenKind::Open:
    case TokenKind::External:
      return true;
    default:
      return false;
    }
  }

  bool intersection() {
    if (!range())
      return false;
    while (tok_.spaceBefore && startsReferenceOperand()) {
      uint32_t left = last_;
      if (!range())
        return false;
      binaryNode(NodeKind::Intersect, BinaryOp::Add, left, last_);
    }
    return true;
  }

  bool range() {
    if (!primary())
      return false;
    while (tok_.kind == TokenKind::Colon) {
      uint32_t left = last_;
      advance();
      if (!primary())
        return false;
      binaryNode(NodeKind::Range, BinaryOp::Add, left, last_);
    }
    return true;
  }

  bool primary() {
    FormulaNode n;
    switch (tok_.kind) {
    case TokenKind::Number:
      n.kind = NodeKind::Number;
      n.number = tok_.number;
      break;
    case TokenKind::Text:
      n.kind = NodeKind::Text;
      n.text = std::string(tok_.text);
      break;
    case TokenKind::Boolean:
      n.kind = NodeKind::Boolean;
      n.number = tok_.number;
      break;
    case TokenKind::Error:
      n.kind = NodeKind::Error;
      n.error = tok_.error;
      break;
    case TokenKind::Reference:
      n.kind = NodeKind::Reference;
      n.area = tok_.area;
      n.sheetMissing = tok_.sheetMissing;
      break;
    case TokenKind::Name:
      n.kind = NodeKind::Name;
      n.text = std::string(tok_.text);
      n.scopeSheet = tok_.scopeSheet;
      n.sheetMissing = tok_.sheetMissing;
      break;
    case TokenKind::Table:
      n.kind = NodeKind::TableReference;
      n.text = std::string(tok_.text);
      n.text2 = std::string(tok_.text2);
      break;
    case TokenKind::External:
      n.kind = NodeKind::External;
      break;
    case TokenKind::Function:
      return call();
    case TokenKind::Open:
      return parenthesised();
    case TokenKind::OpenBrace:
      return arrayConstant();
    default:
      return false;
    }
    advance();
    last_ = add(std::move(n));
    return true;
  }

  bool call() {
    FormulaNode n;
    n.kind = NodeKind::Function;
    n.text = std::string(tok_.text);
    n.spec = findFunction(n.text);
    advance();
    std::vector<uint32_t> args;
    if (tok_.kind == TokenKind::Close) {
      advance();
      addWith(std::move(n), args.data(), 0);
      return true;
    }
    for (;;) {
      if (tok_.kind == TokenKind::Comma || tok_.kind == TokenKind::Close) {
        FormulaNode missing;
        missing.kind = NodeKind::Missing;
        last_ = add(std::move(missing));
      } else if (!expression()) {
        return false;
      }
      args.push_back(last_);
      if (tok_.kind == TokenKind::Close) {
        advance();
        break;
      }
      if (tok_.kind != TokenKind::Comma)
        return false;
      advance();
    }
    addWith(std::move(n), args.data(), args.size());
    return true;
  }

  bool parenthesised() {
    advance();
    std::vector<uint32_t> parts;
    for (;;) {
      if (!expression())
        return false;
      parts.push_back(last_);
      if (tok_.kind == TokenKind::Close) {
        advance();
        break;
      }
      if (tok_.kind != TokenKind::Comma)
        return false;
      advance();
    }
    if (parts.size() > 1) {
      FormulaNode u;
      u.kind = NodeKind::Union;
      addWith(std::move(u), parts.data(), parts.size());
    }
    return true;
  }

  bool arrayConstant() {
    advance();
    ScalarArray a;
    int32_t columns = 0;
    for (;;) {
      bool negative = false;
      while (isOperator("-") || isOperator("+")) {
        negative ^= tok_.text == "-";
        advance();
      }
      switch (tok_.kind) {
      case TokenKind::Number:
        a.values.emplace_back(negative ? -tok_.number : tok_.number);
        break;
      case TokenKind::Text:
        a.values.emplace_back(std::string(tok_.text));
        break;
      case TokenKind::Boolean:
        a.values.emplace_back(tok_.number != 0);
        break;
      case TokenKind::Error:
        a.values.emplace_back(tok_.error);
        break;
      default:
        return false;
      }
      ++columns;
      advance();
      if (tok_.kind == TokenKind::Comma) {
        advance();
        continue;
      }
      if (tok_.kind == TokenKind::Semicolon || tok_.kind == TokenKind::CloseBrace) {
        if (a.rows == 0)
          a.columns = columns;
        else if (columns != a.columns)
          return false;
        ++a.rows;
        columns = 0;
        bool end = tok_.kind == TokenKind::CloseBrace;
        advance();
        if (end)
          break;
        continue;
      }
      return false;
    }
    FormulaNode n;
    n.kind = NodeKind::Array;
    n.array = std::move(a);
    last_ = add(std::move(n));
    return true;
  }

  static constexpr int kMaxDepth = 256;
  std::string_view s_;
  size_t i_ = 0;
  int32_t host_;
  const SheetFinder &find_;
  FormulaTree &tree_;
  Token tok_;
  std::string text_; // the current string literal, unescaped
  uint32_t last_ = 0;
  int depth_ = 0;
};

} // namespace

bool parseFormula(std::string_view text, int32_t hostSheet, const SheetFinder &findSheet,
                  FormulaTree &tree) {
  return Parser(text, hostSheet, findSheet, tree).run();
}

} // namespace brevant
