#pragma once

#include <QPointer>
#include <QTableView>

class DataSource;
class GridCursor;
class RecordEditor;

// The main window's data grid: a heading row, a record indicator column, column and row
// lines, movable and sizeable headings, and only the rows it paints read from the data.
//
// Over a writable table it edits in place: the grid's current row is the table's current
// record, moving to another record stores the changed one, Esc discards, Tab walks the
// cells and appends at the end, Down from the last record appends, Insert inserts,
// Ctrl+Del deletes after a confirmation, and a new record left untouched disappears again.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return m_source; }

    // The selected column (the grid's current column), by position of the data.
    int selectedIndex() const;
    void setSelectedIndex(int column);
    int currentRow() const;

    // Colours of the cells; the headings keep theirs.
    void setColours(const QColor& background, const QColor& text);

    // Stores the text of an open cell editor into the record and checks the record the
    // table stands on. False, after the message, when that record cannot be stored yet;
    // callers that are about to store it (moving the table, closing it) stop then.
    bool commitPendingEdit();
    // Brings the grid back in step with the table after others moved it, or added or
    // dropped records.
    void followTable();
    // The cell editor while one is open.
    QWidget* openEditor() const;

    // Where the reader stands: the current row and column, and the row at the top of the view.
    struct Place {
        int row = 0;
        int column = 0;
        int top = 0;
    };
    Place place() const;
    // After the rows were read anew: makes `row` current (over the table object the table's
    // record is current already) in the place's column, as far below the top as the place's
    // row was, so that a record that stayed keeps its place on the screen.
    void restorePlace(const Place& place, int row);

signals:
    void titleClicked(int column);
    // The current column is about to change; the column being left is still selected.
    void columnExit();
    // A data cell was clicked; it is the selected cell now.
    void cellClicked(int row, int column);
    // Outside edit mode the reader asked for a record's entries in the other views (a
    // double-click, Enter, or the context menu); a menu for it opens at `globalPos`.
    void recordRequested(int row, const QPoint& globalPos);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    friend class GridCursor;
    friend class GridCellDelegate;

    // Decides on a change of the current cell; may redirect it. False refuses it.
    bool approveCurrentChange(const QModelIndex& from, QModelIndex& to);
    // The record operations while the grid shows the table object.
    RecordEditor* editor() const;
    bool editsTable() const;
    bool mayModify() const;
    void commitOpenEditor();
    void raiseColumnExit();
    // Puts the current cell on the table's record without the checks of a move.
    void showTableRecord();
    void tabTo(bool forward);
    void stepDownAtEnd();
    void insertRecord();
    // Appends a new record, showing what stops it; true when the grid stands on it.
    bool appendRecord();
    void cancelRecord();
    void deleteRecord();
    void leftGrid();
    // Asks for the current record's menu below its current cell (keyboard requests).
    void requestCurrentRecord();
    void onFocusChanged(QWidget* old, QWidget* now);
    void onClicked(const QModelIndex& index);
    bool isInside(const QWidget* w) const;
    int firstVisualColumn() const;
    int lastVisualColumn() const;

    DataSource* m_source = nullptr;
    int m_selectedColumn = 0;
    QPointer<QWidget> m_editor;
    bool m_syncing = false;
    bool m_inGate = false;
};
