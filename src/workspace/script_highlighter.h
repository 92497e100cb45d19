#pragma once
// Colours for the report script: function headers ("@1=REPORT(") and their parameter names,
// comments (also across lines), quoted values and SQL keywords.

#include <QRegularExpression>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace brevant {

class ScriptHighlighter : public QSyntaxHighlighter {
  Q_OBJECT
public:
  explicit ScriptHighlighter(QTextDocument *document);

protected:
  void highlightBlock(const QString &text) override;

private:
  QTextCharFormat header_, parameter_, comment_, quoted_, keyword_;
  QRegularExpression headerStart_, parameterName_, keywords_;
};

} // namespace brevant
