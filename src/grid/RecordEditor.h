#pragma once

#include "RecordProblem.h"

#include <QString>

class DataSource;
class Table;

// The record operations of edit mode over the table object the grid shows: enter edit
// state, leave a record, append, insert, cancel, delete. Each announces through the grid's
// model the rows it adds or drops, and checks every record before it is stored. What
// stops an operation comes back as a RecordProblem; showing it is the window's part.
class RecordEditor {
public:
    RecordEditor(DataSource& model, Table& table);

    Table& table() const { return m_table; }
    // The table's rows as last announced to the views: the table may add or drop its new
    // record before the views have been told.
    int shownRows() const { return m_shownRows; }
    // Takes the table's row count as it stands, after the model was reset over it.
    void resetShownRows();

    // The grid shows the open table with automatic editing on and may change it.
    bool canModify() const;
    // The table's current record is being edited or is new.
    bool recordPending() const;
    // The current record is new and nothing was typed into it.
    bool recordNewAndUnchanged() const;

    // Why the pending record cannot be stored (empty when it can): a malformed issue text,
    // a rating outside 0..100, a whole-number field holding other text.
    QString pendingRecordProblem() const;
    // The same as a notice to show; none when the record may be stored.
    RecordProblem checkPendingRecord() const;

    // Puts the current record into edit state (no effect when it already is).
    void beginEdit();
    // Stores a changed record (after the check) or drops an unchanged one, then moves to
    // `row`. False, with the record kept in its state and `problem` saying why, when it
    // cannot be stored. `landed` receives the row the table then stands on.
    bool leaveRecordTo(int row, int& landed, RecordProblem& problem);
    // Stores or drops the pending record without moving.
    bool leaveRecord(RecordProblem& problem);
    // A new empty record after the last / at the current position. False when the table may
    // not be changed or the pending record cannot be stored first (then with `problem`).
    bool appendRecord(RecordProblem& problem);
    bool insertRecord(RecordProblem& problem);
    // Discards the pending change; a new record disappears again.
    void cancelRecord();
    // Deletes the current record; a problem when another program changed it meanwhile.
    RecordProblem deleteRecord();
    // Takes over a row count the table reached behind the grid's back.
    void followTableRows();

private:
    void indicatorMoved(int oldRow);
    void dropNewRecord();
    void keepOffEnd();
    void announceRemoved(int first, int last);
    void announceInserted(int first, int last);
    // Announces one row added or dropped at `row` around `change`, which makes it so.
    template <typename Change> void changeRows(bool inserting, int row, Change change);

    DataSource& m_model;
    Table& m_table;
    int m_shownRows = 0;
};
