#pragma once

class QAccessibleInterface;
class QTableWidget;

// A grid whose first row holds the column headings, drawn as cells, shown to screen readers
// as a table whose columns carry those headings: the heading row is announced as headings,
// never as the table's first row of data.
namespace HeadedGridAccessible {

// Marks `grid` as one whose first row is its heading row.
void markHeadingRow(QTableWidget* grid);

// The interface for a marked grid; nullptr for anything else.
QAccessibleInterface* interfaceFor(QObject* object);

} // namespace HeadedGridAccessible
