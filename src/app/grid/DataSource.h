#pragma once

#include <QAbstractTableModel>
#include <QStringList>

class Query;
class Table;

// Connects the grid to either the view query or the table object. The grid reads only
// the rows it paints; the data object keeps the rest on disk.
//
// Over the table object it also carries the record operations of edit mode (enter edit
// state, leave a record, append, insert, cancel, delete), each announcing the rows it
// adds or drops, and the check that every record passes before it is stored.
class DataSource : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataSource(QObject* parent = nullptr);

    void setDataSet(Query* query);
    void setDataSet(Table* table);
    Query* query() const { return m_query; }
    Table* table() const { return m_table; }

    // Automatic editing: typing puts the current record into edit state.
    void setAutoEdit(bool on) { m_autoEdit = on; }
    bool autoEdit() const { return m_autoEdit; }

    // The data object's rows or fields changed as a whole (opened, closed, re-queried).
    void reload();
    // One row changed (posted, edited by the program).
    void rowChanged(int row);

    // Column headings; the default heading is the field name.
    void setHeading(int column, const QString& text);
    QString heading(int column) const;
    QString fieldName(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The row the data object stands on, for the record indicator.
    void setCurrentRow(int row);
    int currentRow() const { return m_currentRow; }

    // ---- Edit mode over the table object ----

    // The grid shows the open table object with automatic editing on and may change it.
    bool canModify() const;
    // The table's current record is being edited or is new.
    bool recordPending() const;
    // The current record is new and nothing was typed into it.
    bool recordNewAndUnchanged() const;

    // Why the pending record cannot be stored (empty when it can): a malformed issue text,
    // a rating outside 0..100, a whole-number field holding other text.
    QString pendingRecordProblem() const;
    // Shows the problem in a message box; true when the record may be stored.
    bool checkPendingRecord() const;

    // Puts the current record into edit state (no effect when it already is).
    void beginEdit();
    // Stores a changed record (after the check) or drops an unchanged one, then moves to
    // `row`. False, with the record kept in its state, when it cannot be stored. `landed`
    // receives the row the table then stands on.
    bool leaveRecordTo(int row, int& landed);
    // Stores or drops the pending record without moving.
    bool leaveRecord();
    // A new empty record after the last / at the current position. False when the pending
    // record cannot be stored first.
    bool appendRecord();
    bool insertRecord();
    // Discards the pending change; a new record disappears again.
    void cancelRecord();
    // Deletes the current record.
    void deleteRecord();
    // Takes over a row count the table reached behind the grid's back.
    void followTableRows();

private:
    void indicatorMoved(int oldRow);
    void dropNewRecord();
    void keepOffEnd();

    Query* m_query = nullptr;
    Table* m_table = nullptr;
    bool m_autoEdit = false;
    QStringList m_headings;
    QStringList m_fields;
    int m_currentRow = 0;
    // Rows of the table as last announced to the views.
    int m_tableRows = 0;
};
