#pragma once

#include <QString>
#include <Qt>

class QComboBox;
class QWidget;

// The steps a user takes in the running program's windows, for window tests: they press and
// type where a user's mouse and keys would, so that every test drives the windows the same way.
namespace UserSteps {

// The views behind the strip's three view buttons.
enum View { Games, Disc, Tips };

// A click on the strip's button for `view`.
void showView(int view);

// A click on the strip's "Auswahl" (the search page) and "Statistik" (the current view's
// statistics window).
void openSearchPage();
void openStatistics();

// The hidden switch into and out of edit mode: a press on the strip's picture with Ctrl and
// Alt held (other buttons and modifiers for the cases that must not switch).
void switchEditMode(Qt::MouseButton button = Qt::LeftButton,
                    Qt::KeyboardModifiers modifiers = Qt::ControlModifier | Qt::AltModifier);

// Shows `view` and switches into edit mode over its table.
void editView(int view);

// A click on the main grid's cell; fails the test when the cell is not in sight.
void clickCell(int row, int column);

// Where a user's keys go in the main grid: into the cell editor while one is open.
QWidget* gridKeyTarget();

// Types `text` into `target` key by key, letters beyond ASCII too (Qt's key code for them is
// the capital's code point).
void typeText(QWidget* target, const QString& text);

// Types `text` into the main grid where the keys go: the first key opens the cell editor,
// the rest go into it.
void typeInGrid(const QString& text);

// Clicks the cell, then types `text` into it; fails the test when the first key opens no
// cell editor.
void typeIntoCell(int row, int column, const QString& text);

// Opens the list and chooses `item` with the keyboard, as a user picks it on the search page.
void pick(QComboBox* box, const QString& item);

} // namespace UserSteps
