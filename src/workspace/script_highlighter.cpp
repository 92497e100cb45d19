#include "workspace/script_highlighter.h"

#include <algorithm>
#include <vector>

namespace brevant {
namespace {

constexpr int kInComment = 1;

} // namespace

ScriptHighlighter::ScriptHighlighter(QTextDocument *document) : QSyntaxHighlighter(document) {
  header_.setForeground(QColor(0x00, 0x33, 0x99));
  header_.setFontWeight(QFont::Bold);
  parameter_.setForeground(QColor(0x00, 0x80, 0x80));
  comment_.setForeground(QColor(0x6a, 0x73, 0x7d));
  comment_.setFontItalic(true);
  quoted_.setForeground(QColor(0xa3, 0x15, 0x15));
  keyword_.setForeground(QColor(0x80, 0x00, 0x80));
  keyword_.setFontWeight(QFont::DemiBold);

  headerStart_ = QRegularExpression(R"(^\s*@[^=\s(]*\s*=\s*[A-Za-z]*\s*\(?)");
  parameterName_ = QRegularExpression(R"(\b([A-Za-z]+)\s*=)");
  keywords_ = QRegularExpression(
      R"(\b(select|from|where|and|or|not|in|is|null|like|between|group|by|order|having|)"
      R"(insert|into|values|update|set|delete|create|drop|alter|table|view|index|join|left|)"
      R"(right|inner|outer|full|cross|on|as|distinct|union|all|case|when|then|else|end|)"
      R"(exists|limit|offset|asc|desc|with|count|sum|avg|min|max|cast)\b)",
      QRegularExpression::CaseInsensitiveOption);
}

void ScriptHighlighter::highlightBlock(const QString &text) {
  const int length = static_cast<int>(text.size());
  // Which characters are code (not comment, not quoted), so keywords are looked for there only.
  std::vector<bool> code(static_cast<size_t>(length), true);
  int i = 0;
  bool inComment = previousBlockState() == kInComment;
  while (i < length) {
    if (inComment) {
      const int close = static_cast<int>(text.indexOf("*/", i));
      const int stop = close < 0 ? length : close + 2;
      setFormat(i, stop - i, comment_);
      std::fill(code.begin() + i, code.begin() + stop, false);
      i = stop;
      inComment = close < 0;
      continue;
    }
    const QChar c = text[i];
    if (c == '/' && i + 1 < length && text[i + 1] == '*') {
      inComment = true;
      continue;
    }
    if (c == '"' || c == '\'') {
      int j = i + 1;
      while (j < length && text[j] != c)
        ++j;
      const int stop = j < length ? j + 1 : length;
      setFormat(i, stop - i, quoted_);
      std::fill(code.begin() + i, code.begin() + stop, false);
      i = stop;
      continue;
    }
    ++i;
  }
  setCurrentBlockState(inComment ? kInComment : 0);

  auto isCode = [&](qsizetype at) { return at >= 0 && at < length && code[size_t(at)]; };
  const QRegularExpressionMatch head = headerStart_.match(text);
  int headerEnd = 0;
  if (head.hasMatch() && isCode(text.indexOf('@'))) {
    setFormat(int(head.capturedStart()), int(head.capturedLength()), header_);
    headerEnd = int(head.capturedEnd());
    // The function's parameters run up to its closing parenthesis.
    int close = headerEnd;
    while (close < length && !(text[close] == ')' && isCode(close)))
      ++close;
    for (auto it = parameterName_.globalMatch(text.left(close), headerEnd); it.hasNext();) {
      const QRegularExpressionMatch m = it.next();
      if (isCode(m.capturedStart(1)))
        setFormat(int(m.capturedStart(1)), int(m.capturedLength(1)), parameter_);
    }
    if (close < length)
      setFormat(close, 1, header_);
    headerEnd = close + 1;
  }
  for (auto it = keywords_.globalMatch(text, headerEnd); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    if (isCode(m.capturedStart()))
      setFormat(int(m.capturedStart()), int(m.capturedLength()), keyword_);
  }
}

} // namespace brevant
