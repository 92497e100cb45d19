#include "desktop/tab_order.h"

#include <QGridLayout>
#include <QLayout>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace brevant {
namespace {

void appendLayout(QLayout *layout, QList<QWidget *> &out);

bool takesTabFocus(const QWidget *widget) {
  return (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

void appendWidget(QWidget *widget, QList<QWidget *> &out) {
  if (widget == nullptr || widget->isWindow())
    return;
  if (auto *tabs = qobject_cast<QTabWidget *>(widget)) {
    if (takesTabFocus(tabs->tabBar()))
      out << tabs->tabBar();
    for (int i = 0; i < tabs->count(); ++i)
      appendWidget(tabs->widget(i), out);
    return;
  }
  if (auto *stack = qobject_cast<QStackedWidget *>(widget)) {
    for (int i = 0; i < stack->count(); ++i)
      appendWidget(stack->widget(i), out);
    return;
  }
  // A widget that takes the focus itself is one stop, whatever it is made of (a combo box's
  // line edit, a text box's viewport).
  if (takesTabFocus(widget) && widget->focusProxy() == nullptr) {
    out << widget;
    return;
  }
  if (widget->layout() != nullptr)
    appendLayout(widget->layout(), out);
}

void appendItem(QLayoutItem *item, QList<QWidget *> &out) {
  if (item == nullptr)
    return;
  if (QWidget *widget = item->widget())
    appendWidget(widget, out);
  else if (QLayout *inner = item->layout())
    appendLayout(inner, out);
}

void appendLayout(QLayout *layout, QList<QWidget *> &out) {
  if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
    struct Cell {
      int row, column, index;
    };
    std::vector<Cell> cells;
    for (int i = 0; i < grid->count(); ++i) {
      int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
      grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
      cells.push_back({row, column, i});
    }
    std::stable_sort(cells.begin(), cells.end(), [](const Cell &a, const Cell &b) {
      return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
    for (const Cell &cell : cells)
      appendItem(grid->itemAt(cell.index), out);
    return;
  }
  for (int i = 0; i < layout->count(); ++i)
    appendItem(layout->itemAt(i), out);
}

} // namespace

QList<QWidget *> layoutFocusOrder(QWidget *root) {
  QList<QWidget *> out;
  if (root != nullptr && root->layout() != nullptr)
    appendLayout(root->layout(), out);
  return out;
}

void setTabOrderFromLayout(QWidget *root) {
  const QList<QWidget *> order = layoutFocusOrder(root);
  for (qsizetype i = 1; i < order.size(); ++i)
    QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace brevant
