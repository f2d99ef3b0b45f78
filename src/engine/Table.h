#pragma once

#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

class Connection;
class RecordStore;
struct sqlite3_stmt;

// A writable view of one table file in stored (rowid) order, with a record buffer.
//
// Moving to another row posts a changed record and drops an unchanged appended or
// inserted one. Every post is its own SQLite transaction: when post() returns, the
// record is on disk.
//
// Another program may write the same file. A post of an edited record and a delete write
// only when the record still holds the values this table read (when it entered edit state,
// or as shown before a delete); otherwise they throw RecordConflict and change nothing.
//
// A file that mirrors a table on a server (see RecordStore) is written through the server
// first, with the same check there; the file follows once the server has taken the change.
class Table {
public:
    enum class State { Inactive, Browse, Edit, Insert };

    Table();
    ~Table();

    // Settable only while closed; throws EngineError on an open table.
    void setDatabaseName(const QString& dir);
    void setTableName(const QString& name);
    void setReadOnly(bool readOnly);
    QString databaseName() const { return m_dir; }
    QString tableName() const { return m_name; }
    bool readOnly() const { return m_readOnly; }
    // The file failed SQLite's quick_check when the table was opened for writing: it was
    // opened read-only instead.
    bool damaged() const { return m_damaged; }
    // The message that says so, naming the file.
    QString damagedMessage() const;
    // Whether records may be changed: open, writable and not damaged.
    bool canModify() const;

    void open();  // throws EngineError
    void close(); // posts a changed record first
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    bool isModified() const { return m_modified; }
    // A refused post found the record deleted by another program; cancel() drops its row.
    bool pendingRecordGone() const { return m_state == State::Edit && m_gone; }

    int recordCount() const { return int(m_rowids.size()); }
    int recNo() const { return m_row; }
    // Moving to the first row stores a changed record even when it is that row.
    void first();
    void next() { moveTo(m_row + 1); }
    bool eof() const { return m_row >= recordCount(); }
    // Moves to `row` (clamped to 0..recordCount()); posts or drops the pending record.
    void moveTo(int row);
    // Reads the list of records anew after another program changed the file (one that
    // mirrors a server's table is brought up to date first) and stays on the current record,
    // found by its row id, or on the same row number when it is gone. Only in browse state
    // and outside a batch: false, with nothing changed, otherwise.
    bool refresh();

    int fieldCount() const;
    QStringList fieldNames() const;
    int fieldIndex(const QString& name) const; // case-insensitive, -1 when missing
    bool isIntegerField(int field) const;

    QString fieldText(int field) const;
    QString fieldByName(const QString& name) const;
    void setFieldText(int field, const QString& text); // puts the record into edit state
    void setFieldByName(const QString& name, const QString& text);
    // The value of any row, as the grid paints it (the pending buffer for the current row).
    QString value(int row, int field) const;

    void edit();   // no effect in edit or insert state
    void append(); // a new empty record after the last
    void insert(); // a new empty record at the current position
    void post();   // throws EngineError; the record stays in its state then
    // Discards the pending change; drops an unposted new record, and a record a refused
    // post found deleted by another program.
    void cancel();
    // The current record's stored values as they are now, which deleteCurrent() then
    // requires; a record in edit state keeps the values it was read with.
    void rememberShownRecord();
    // Deletes the current record; throws RecordConflict, leaving everything as it was,
    // when the stored record no longer holds the remembered values.
    void deleteCurrent();
    // The current record's field texts as stored; throws EngineError when the row cannot
    // be read (a damaged file, a row deleted by another program).
    QStringList readCurrent() const;

    // Groups the posts that follow into one transaction, for appending many records at
    // once; post() then no longer syncs each record on its own. commitBatch() makes them
    // durable (close() does too). A failed post inside a batch keeps the records posted
    // before it; an error after which SQLite itself rolls the transaction back (an I/O
    // error, a full disk) loses the batch's records, and the row list is read anew.
    void beginBatch();  // throws EngineError
    void commitBatch(); // throws EngineError; no effect outside a batch
    bool inBatch() const { return m_batch; }
    // Whether the file mirrors a store (a table on a server), which takes every write first.
    bool mirrorsStore() const { return m_store != nullptr; }

    // Reads the table as one snapshot until endSnapshot(), for reading it whole: a store's
    // records are brought into the file first, then one read transaction holds the file as it
    // is and the row list is read anew inside it. Another program's write to the file waits
    // for the end (or fails after its busy time-out). For a table in browse state, outside a
    // batch.
    void beginSnapshot(); // throws EngineError
    void endSnapshot();

    // One stored value as SQLite holds it, for comparing with the file again.
    struct StoredValue {
        int type = 0; // SQLITE_NULL, SQLITE_INTEGER, ...
        qint64 integer = 0;
        double real = 0;
        QByteArray bytes; // text (UTF-8) or blob
    };
    using StoredRecord = std::vector<StoredValue>;

private:
    QString rowIdName() const;
    // Reads a row's stored values; false when the row is gone. Throws EngineError when the
    // file cannot be read.
    bool readStored(qint64 rowid, StoredRecord& out) const;
    // The condition "<row id> = ? AND <field> IS ? ..." and its values, bound from `first`.
    QString sameRecordCondition() const;
    void bindSameRecord(sqlite3_stmt* st, int first, qint64 rowid,
                        const StoredRecord& values) const;
    [[noreturn]] void refuse(qint64 rowid) const;
    // The record's values as the store takes them.
    static QList<QByteArray> storeValues(const StoredRecord& record);
    static QList<QByteArray> storeValues(const QVariantList& record);
    void dropCurrentRow();
    // Puts the keys a store gave a committed batch's new records in place of their stand-ins.
    void takeBatchKeys(const std::vector<qint64>& keys);
    void loadRowids();
    void requireClosed() const;
    void requireWritable() const;
    void loadRow(int row, QVariantList& out) const;
    QVariant toStored(int field, const QString& text) const;

    QString m_dir;
    QString m_name;
    bool m_readOnly = true;
    std::shared_ptr<Connection> m_conn;
    std::shared_ptr<RecordStore> m_store; // the server the file mirrors, if any
    State m_state = State::Inactive;
    std::vector<qint64> m_rowids; // -1 marks the unposted new record
    int m_row = 0;
    QVariantList m_buffer;
    StoredRecord m_read;     // the stored values when the record entered edit state
    bool m_readGone = false; // the record was already gone then
    bool m_gone = false;     // a refused post found the record deleted
    StoredRecord m_shown;    // the values a delete requires, for m_shownRowid
    qint64 m_shownRowid = -1;
    bool m_damaged = false;
    bool m_modified = false;
    bool m_batch = false;
    bool m_snapshot = false;
    size_t m_rowsBeforeBatch = 0;
    mutable int m_cachedRow = -1;
    mutable QVariantList m_cachedValues;
    mutable StoredRecord m_cachedStored; // the same row as SQLite holds it
};
