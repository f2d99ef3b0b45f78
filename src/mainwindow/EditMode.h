#pragma once

#include <QString>

class TForm1;

// The hidden edit mode as the main window shows it: Ctrl+Alt and a press on the strip
// switch it; in it the grid edits the current view's table directly (grey cells, no
// selection, the long caption), codes typed into a column complete to their words when the
// column is left, and a click on a disc entry's medium steps it to the next one.
//
// The rest of edit mode lives beside it: storing a record from the grid (src/app/grid:
// DataGrid, RecordEditor), checking it (src/data: FieldChecks), the export and import buttons
// of the info window (src/info: TForm2Exchange.cpp and the text exchange), the code tables
// (src/data: EditCodes).
class EditMode {
public:
    explicit EditMode(TForm1& window);

    // Wires the grid's edit-mode events (column exit, cell click) to the entry help.
    void connectGrid();
    // The window's look and data set for edit mode on or off.
    void present(bool on);

    // Entry help: codes complete when a column is left; the medium steps on a click.
    void columnExit();
    void cellClick(int column);

    // See TForm1::commitGridEdit and TForm1::gridFollowTable.
    bool commitGridEdit();
    void gridFollowTable();

    static inline const QString kCaption = QStringLiteral(
        "EDIT-Modus aktiv /// ASCII-Import(CD/DVD)+Export /// CTRL-DEL löscht Datensatz");

private:
    TForm1& m_window;
};
