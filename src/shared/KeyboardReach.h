#pragma once

#include <QKeySequence>
#include <QList>
#include <functional>

class ClickArea;
class QAbstractButton;
class QAbstractItemView;
class QLineEdit;
class QWidget;

// Keys for what the windows otherwise offer only to the mouse. Every key acts as a click on
// its click area or button would at that moment, so a disabled area or a window blocked by a
// modal one does nothing.
namespace KeyboardReach {

// A key that works in every window of the program and presses `area`.
void pressEverywhere(const QKeySequence& key, ClickArea* area);

// A key that works in every window of the program and gives `box` the focus, bringing its
// window to the front.
void focusEverywhere(const QKeySequence& key, QLineEdit* box);

// Keys that work while `window` is active and press `area` or click `button`.
void pressInWindow(QWidget* window, const QList<QKeySequence>& keys, ClickArea* area);
void clickInWindow(QWidget* window, const QList<QKeySequence>& keys, QAbstractButton* button);

// Tab and Shift+Tab go from `grid` to `box` and back instead of walking the grid's cells,
// while `gridKeepsTab` says no (edit mode walks the cells with Tab).
void tabBetween(QAbstractItemView* grid, QLineEdit* box, bool (*gridKeepsTab)());

// Enter or Space on `view`'s current row runs `action`, as a click on the row does.
void onRowKeys(QAbstractItemView* view, std::function<void()> action);

} // namespace KeyboardReach
