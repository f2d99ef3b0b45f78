#pragma once

#include <QString>
#include <QStringList>

// What the grid reads from the data object it shows, the view query or the table object
// alike: its fields, the rows the grid is to show, a cell's text and the record indicator.
class GridRows {
public:
    virtual ~GridRows() = default;

    virtual QStringList fieldNames() const = 0;
    virtual int rowCount() const = 0;
    virtual QString value(int row, int field) const = 0;
    // The record indicator beside `row`; `currentRow` is the grid's current row.
    virtual QString indicator(int row, int currentRow) const = 0;
    // The row the grid stands on after the data was opened anew.
    virtual int startRow() const = 0;
};
