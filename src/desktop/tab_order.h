#pragma once
// The Tab key's order in a dialog. Qt moves the focus in the order the widgets were made, which
// is rarely the order the eye reads a dialog: a form whose browse buttons are made after all its
// boxes sends the Tab key through the boxes, then the buttons, skipping what lies below. Here the
// order is taken from the layouts instead: a box layout in its order, a grid row by row, a tab
// widget's bar before its pages, each page in turn.

#include <QList>

class QWidget;

namespace brevant {

// The widgets that take the focus by Tab, in the order of `root`'s layouts.
QList<QWidget *> layoutFocusOrder(QWidget *root);

// Chains the Tab order of `root`'s widgets in layout order. Call it once the layouts are built.
void setTabOrderFromLayout(QWidget *root);

} // namespace brevant
