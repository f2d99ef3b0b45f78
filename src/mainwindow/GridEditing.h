#pragma once

#include <QString>

class DataGrid;
class DataSource;
class Query;
class QWidget;
class Table;
class ViewQueryRunner;

// The hidden edit mode as the main window shows it: Ctrl+Alt and a press on the strip
// switch it; in it the grid edits the current view's table directly (grey cells, no
// selection, the long caption), codes typed into a column complete to their words when the
// column is left, and a click on a disc entry's medium steps it to the next one.
//
// The rest of edit mode lives beside it: storing a record from the grid (src/grid:
// DataGrid, RecordEditor), checking it (src/data: FieldChecks), the export and import buttons
// of the info window (src/info: TForm2Exchange.cpp and the text exchange), the code tables
// (src/data: EditCodes).
class GridEditing {
public:
    GridEditing(QWidget& window, DataGrid& grid, DataSource& source, Table& table, Query& query,
                ViewQueryRunner& viewQuery);

    // The window's look and data set for edit mode on or off.
    void present(bool on);

    // Entry help: codes complete when a column is left; the medium steps on a click.
    void columnExit();
    void cellClick(int column);

    // Stores an open cell editor's text into the record and checks the record; false,
    // after the message, when the record cannot be stored yet. True outside edit mode.
    bool commitGridEdit();
    // After the table was moved, or records added, by others: the grid follows its current
    // record and row count.
    void gridFollowTable();
    // After another program changed the table: its records are read anew and the grid stays
    // on the current one. Returns the row it stands in (the same row when it is gone).
    int rereadTable();

    static inline const QString kCaption = QStringLiteral(
        "EDIT-Modus aktiv /// ASCII-Import(CD/DVD)+Export /// CTRL-DEL löscht Datensatz");

private:
    QWidget& m_window;
    DataGrid& m_grid;
    DataSource& m_source;
    Table& m_table;
    Query& m_query;
    ViewQueryRunner& m_viewQuery;
};
