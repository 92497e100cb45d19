#include "workspace/frm_goto.h"

#include "base/tokenizer.h"
#include "desktop/error_box.h"
#include "desktop/tab_order.h"
#include "workspace/frm_edit.h"
#include "workspace/script_text_edit.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTextCursor>
#include <QVBoxLayout>

#include <cmath>
#include <string>

namespace brevant {
namespace {

bool isBlankChar(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

QString trimmedBlanks(QStringView text) {
  qsizetype from = 0;
  qsizetype to = text.size();
  while (from < to && isBlankChar(text[from]))
    ++from;
  while (to > from && isBlankChar(text[to - 1]))
    --to;
  return text.mid(from, to - from).toString();
}

// Follows "/*" and "*/" through a line that is not a label line.
void trackComments(const QString &line, bool &inComment) {
  const std::string bytes = line.toStdString();
  int pos = 1;
  while (pos <= static_cast<int>(bytes.size())) {
    const std::string token = nextToken(bytes, pos, true);
    if (token.empty())
      break;
    if (token == "/*")
      inComment = true;
    else if (token == "*/")
      inComment = false;
  }
}

} // namespace

ScriptOutline outlineScript(const QString &text) {
  ScriptOutline outline;
  outline.entries.push_back({"(Top)", 0});
  int32_t lines = 1;
  bool inComment = false;
  qsizetype q = 0;
  while (q < text.size()) {
    const qsizetype lineStart = q;
    const qsizetype lf = text.indexOf(u'\n', q);
    const qsizetype lineEnd = lf < 0 ? text.size() : lf;
    q = lf < 0 ? text.size() : lf + 1;
    QStringView line = QStringView(text).mid(lineStart, lineEnd - lineStart);
    if (line.endsWith(u'\r'))
      line.chop(1);
    ++lines;
    if (q >= text.size() && !text.endsWith(u'\n'))
      --lines;

    if (inComment) {
      // The rest of the line after the comment's end is not looked at.
      if (line.contains(u"*/"))
        inComment = false;
      continue;
    }
    qsizetype first = 0;
    while (first < line.size() && isBlankChar(line[first]))
      ++first;
    if (first >= line.size() || line[first] != u'@') {
      trackComments(line.mid(first).toString(), inComment);
      continue;
    }
    const qsizetype equals = line.indexOf(u'=');
    if (equals >= 0)
      outline.entries.push_back({trimmedBlanks(line.left(equals)), lineStart});
  }
  outline.entries.push_back({"(Bottom)", text.size()});
  outline.lineCount = lines;
  return outline;
}

qsizetype lineStartOffset(const QString &text, int32_t line) {
  qsizetype at = 0;
  for (int32_t i = 1; i < line; ++i) {
    const qsizetype lf = text.indexOf(u'\n', at);
    if (lf < 0)
      return text.size();
    at = lf + 1;
  }
  return at;
}

FrmGoto::FrmGoto(FrmEdit &editor) : QDialog(&editor), editor_(editor) {
  setObjectName("frmGoto");
  setWindowTitle("Goto");
  setModal(true);

  tabGoto_ = new QTabBar(this);
  tabGoto_->setObjectName("tabGoto");
  tabGoto_->addTab("&Function");
  tabGoto_->setTabData(0, "Function");
  tabGoto_->addTab("&Line");
  tabGoto_->setTabData(1, "Line");

  fraFunction_ = new QFrame(this);
  fraFunction_->setObjectName("fraGoto(1)");
  txtFunction_ = new QLineEdit(fraFunction_);
  txtFunction_->setObjectName("txtFunction");
  lstFunction_ = new QListWidget(fraFunction_);
  lstFunction_->setObjectName("lstFunction");
  lstFunctionPos_ = new QListWidget(fraFunction_);
  lstFunctionPos_->setObjectName("lstFunctionPos");
  lstFunctionPos_->hide();
  auto *functionLabel = new QLabel("&Go to:", fraFunction_);
  functionLabel->setBuddy(txtFunction_);
  auto *functionPage = new QGridLayout(fraFunction_);
  functionPage->addWidget(functionLabel, 0, 0);
  functionPage->addWidget(txtFunction_, 0, 1);
  functionPage->addWidget(lstFunction_, 1, 0, 1, 2);

  fraLine_ = new QFrame(this);
  fraLine_->setObjectName("fraGoto(2)");
  txtLine_ = new QLineEdit(fraLine_);
  txtLine_->setObjectName("txtLine");
  lstLine_ = new QListWidget(fraLine_);
  lstLine_->setObjectName("lstLine");
  lblLineCnt_ = new QLabel("(1-1)", fraLine_);
  lblLineCnt_->setObjectName("lblLineCnt");
  auto *lineLabel = new QLabel("&Go to:", fraLine_);
  lineLabel->setBuddy(txtLine_);
  auto *linePage = new QGridLayout(fraLine_);
  linePage->addWidget(lineLabel, 0, 0);
  linePage->addWidget(txtLine_, 0, 1);
  linePage->addWidget(lblLineCnt_, 0, 2);
  linePage->addWidget(lstLine_, 1, 0, 1, 3);
  fraLine_->hide();

  auto *cmdOK = new QPushButton("&OK", this);
  cmdOK->setObjectName("cmdOK");
  cmdOK->setDefault(true);
  auto *cmdCancel = new QPushButton("&Cancel", this);
  cmdCancel->setObjectName("cmdCancel");
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdCancel);

  auto *layout = new QVBoxLayout(this);
  layout->addWidget(tabGoto_);
  layout->addWidget(fraFunction_);
  layout->addWidget(fraLine_);
  layout->addLayout(buttons);

  connect(tabGoto_, &QTabBar::currentChanged, this, &FrmGoto::tabClicked);
  connect(cmdOK, &QPushButton::clicked, this, &FrmGoto::goToTarget);
  connect(cmdCancel, &QPushButton::clicked, this, &FrmGoto::hide);
  connect(lstFunction_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem *item) { pickFunction(lstFunction_->row(item)); });
  connect(lstFunction_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem *item) { goToFunctionAt(lstFunction_->row(item)); });
  setTabOrderFromLayout(this);
}

int FrmGoto::page() const { return tabGoto_->currentIndex() == 1 ? kLinePage : kFunctionPage; }

void FrmGoto::selectPage(int page) {
  const int index = page == kLinePage ? 1 : 0;
  tabGoto_->setCurrentIndex(index);
  tabClicked(index);
}

void FrmGoto::tabClicked(int index) {
  QFrame *shown = index == 1 ? fraLine_ : fraFunction_;
  QFrame *hidden = index == 1 ? fraFunction_ : fraLine_;
  hidden->hide();
  shown->show();
  shown->raise();
  (index == 1 ? txtLine_ : txtFunction_)->setFocus();
}

void FrmGoto::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  refreshLists();
}

void FrmGoto::refreshLists() {
  txtFunction_->clear();
  txtLine_->clear();
  lstFunction_->clear();
  lstFunctionPos_->clear();
  lstLine_->clear();
  const ScriptOutline outline = outlineScript(editor_.textBox()->toPlainText());
  for (const OutlineEntry &entry : outline.entries) {
    lstFunction_->addItem(entry.label);
    lstFunctionPos_->addItem(QString::number(entry.offset));
  }
  lineCount_ = outline.lineCount;
  lblLineCnt_->setText(QString("( 1 - %1 )").arg(lineCount_));
  (page() == kLinePage ? txtLine_ : txtFunction_)->setFocus();
}

void FrmGoto::pickFunction(int row) {
  if (QListWidgetItem *item = lstFunction_->item(row))
    txtFunction_->setText(item->text());
}

void FrmGoto::goToFunctionAt(int row) {
  pickFunction(row);
  goToTarget();
}

void FrmGoto::goToTarget() {
  if (page() == kFunctionPage)
    goToFunction();
  else
    goToLine();
}

void FrmGoto::goToFunction() {
  const QString wanted = txtFunction_->text();
  const auto equal = [&wanted](const QListWidgetItem *item) {
    return item != nullptr && item->text().compare(wanted, Qt::CaseInsensitive) == 0;
  };
  int row = -1;
  for (int i = 0; i < lstFunction_->count() && row < 0; ++i)
    if (equal(lstFunction_->item(i)))
      row = i;
  if (row < 0) {
    ShowErrorMessage("Please input a valid function label.", this);
    txtFunction_->setFocus();
    return;
  }
  // Among equal labels the one the user picked wins.
  if (lstFunction_->currentRow() >= 0 && lstFunction_->currentItem()->isSelected() &&
      equal(lstFunction_->currentItem()))
    row = lstFunction_->currentRow();
  bool ok = false;
  const qsizetype offset = lstFunctionPos_->item(row)->text().toLongLong(&ok);
  editor_.moveCaretTo(ok ? offset : 0);
  hide();
}

void FrmGoto::goToLine() {
  bool isNumber = false;
  const double n = txtLine_->text().trimmed().toDouble(&isNumber);
  if (!isNumber || !std::isfinite(n)) {
    ShowErrorMessage("Please input a valid line number.", this);
    txtLine_->setFocus();
    return;
  }
  if (n < 1 || n > lineCount_) {
    ShowErrorMessage("Line number out of range.", this);
    txtLine_->setFocus();
    return;
  }
  const auto line = static_cast<int32_t>(std::floor(n));
  editor_.moveCaretTo(lineStartOffset(editor_.textBox()->toPlainText(), line));
  hide();
}

} // namespace brevant
