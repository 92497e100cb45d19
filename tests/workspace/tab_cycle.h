#pragma once
// Walks a shown window with the Tab key, as a keyboard user does.

#include <QApplication>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <string>

namespace brevant::testing {

// The names of the widgets the Tab key visits in a shown window, starting at `first` and ending
// before the focus comes back to it (a widget without a name is shown by its class), joined by
// blanks.
inline std::string tabCycle(QWidget &window, QWidget *first) {
  window.show();
  window.activateWindow();
  if (!QTest::qWaitForWindowActive(&window))
    return "(the window did not become active)";
  QApplication::processEvents(); // a dialog may place its first focus once shown
  first->setFocus(Qt::TabFocusReason);
  QStringList names;
  QWidget *at = QApplication::focusWidget();
  if (at != first)
    return "(the focus is not on " + first->objectName().toStdString() + ")";
  for (int step = 0; step < 80 && at != nullptr; ++step) {
    names << (at->objectName().isEmpty() ? QString(at->metaObject()->className())
                                         : at->objectName());
    QTest::keyClick(at, Qt::Key_Tab);
    at = QApplication::focusWidget();
    if (at == first)
      break;
  }
  return names.join(' ').toStdString();
}

} // namespace brevant::testing
