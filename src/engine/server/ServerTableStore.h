#pragma once

#include "RecordStore.h"

#include <QMutex>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class ServerConnection;
struct sqlite3;

// One table on the server and the table file that mirrors it. The file is read whole from the
// server in one snapshot, with the key as row id; it is read again when the server's change
// counter for the table moved past the value it was read at. A file kept from an earlier run
// is taken again only when the server's state of the table (see serverState()) and the file's
// own state are both those written down beside it when it was read. Records are written with the
// optimistic check on the server (`IS NOT DISTINCT FROM` each value read) and the counter read
// in the same transaction, so that a write of another program in between is noticed too.
//
// A write the server did not take (the connection lost, the server stopped) leaves nothing in
// the file; the file is read anew at the next refresh. A batch's new records are held until
// its end and then sent many to a statement; the file takes them, under the keys the server
// gave, only with the server's commit. When the connection breaks during a commit, the server
// is asked whether it kept the change. A batch in which any write failed is rolled back whole
// at its end.
class ServerTableStore : public RecordStore {
public:
    struct Field {
        QString name;
        bool integer = false;
    };
    // What a read that writes the file anew tells before it copies the rows: the table's
    // fields, and the snapshot the rows come from, exported for readers of its own.
    struct Fresh {
        QList<Field> fields;
        QByteArray snapshot;
    };
    // Called within the read, with that (null when a kept file is taken), before any row is
    // copied; the copy begins when it returns.
    using BeforeCopy = std::function<void(const Fresh*)>;

    // Reads the table into a new file at `mirrorPath`, or, when `kept` (the file's folder is a
    // cache folder of the user's own that this run alone uses), takes the file there when it
    // is proven to hold the server's contents. A `reader` of its own, when given, does that
    // (so that tables are read side by side), and `server` everything after. Throws
    // EngineError.
    ServerTableStore(std::shared_ptr<ServerConnection> server, std::shared_ptr<QMutex> lock,
                     const QString& tableName, const QString& mirrorPath, bool kept = false,
                     std::shared_ptr<ServerConnection> reader = {},
                     const BeforeCopy& beforeCopy = {});

    // How a read asks for a field: as bigint or text, the forms the file takes.
    static QString readExpression(const ServerConnection& server, const Field& field);
    ~ServerTableStore() override;

    void refresh() override;
    // Whether another program changed the table since the file was read, by one short look at
    // the counter, without reading it; false for a table without a counter and while a
    // transaction of ours is under way. Throws EngineError when the server cannot be asked.
    bool changedElsewhere();
    bool writable() const override { return m_writable; }
    QString readOnlyMessage() const override;
    Outcome update(qint64 key, const QList<QByteArray>& values,
                   const QList<QByteArray>& expected) override;
    Outcome remove(qint64 key, const QList<QByteArray>& expected) override;
    Outcome insert(const QList<QByteArray>& values, qint64& key) override;
    void beginBatch() override;
    std::vector<qint64> commitBatch() override;

private:
    void readFields();
    // The counter as the server holds it now; -1 when the server keeps none.
    qint64 counter();
    // What tells the table's contents on the server apart, read in the snapshot under way: the
    // counter, the transaction that last set it and the table's object id (a replaced table is
    // a new object), with the fields' names and types. Empty when the server keeps no counter.
    QByteArray serverState(qint64& counter);
    // Reads the whole table into the file, and the counter with it in one snapshot unless a
    // transaction of ours is under way (which then is the snapshot).
    void readMirror();
    // Copies the table's rows, each under its key, into the empty table of `db`.
    void copyRows(sqlite3* db);
    // Writes the table whole into a fresh file and puts it in place of the mirror.
    void buildMirror();
    // The proof beside a kept file: the server's state it was read at and the file's state.
    QString proofName() const;
    bool provenKept(const QByteArray& state);
    void keep(const QByteArray& state);
    // The condition "key = $first AND field IS NOT DISTINCT FROM $first+1 ...".
    QString sameRecordCondition(int first) const;
    // Runs a write in a transaction with the counter's check; `rows` receives the rows it
    // touched, `key` the key it returned, if any. When its COMMIT fails, `kept` (given that
    // key, or -1) tells whether the server kept the write all the same.
    Outcome write(const QString& what, const QString& sql, const QList<QByteArray>& params,
                  long& rows, qint64* key, const std::function<bool(qint64)>& kept);
    [[noreturn]] void rethrow(const class ServerError& e) const;
    // After a failed write: gives up a transaction of our own, and marks the file for reading
    // anew.
    void abandon(const QString& what, bool own);
    // Sends the batch's new records to the server within its transaction and puts them into
    // the file in a transaction of the file's (`fileBegun` tells whether it is open, to be
    // ended as the server's ends); returns their keys, ascending.
    std::vector<qint64> insertPending(const QString& what, bool& fileBegun);
    // Whether `rows` of the table meet `condition` ($1... from `params`), asked after a failed
    // COMMIT, on a connection opened anew when it broke: whether the server kept the change
    // after all. False when that cannot be asked.
    bool heldAfterBrokenCommit(const QString& what, const QString& condition,
                               const QList<QByteArray>& params, qint64 rows);
    // The condition "key = $1".
    QString keyIs() const;

    std::shared_ptr<ServerConnection> m_server;
    std::shared_ptr<QMutex> m_lock;
    QString m_table;
    QString m_path;
    QList<Field> m_fields;
    sqlite3* m_db = nullptr;
    bool m_writable = false;
    bool m_kept = false;                // the file stays in the cache folder for later runs
    bool m_counted = false;             // the server keeps a change counter for the table
    qint64 m_counter = -1;              // its value the file reflects
    bool m_inTransaction = false;       // a transaction of ours is under way on the server
    bool m_batch = false;               // it is a batch's
    bool m_batchFailed = false;         // a write in the batch failed: it is rolled back at its end
    QList<QList<QByteArray>> m_pending; // the batch's new records, sent at its end
};
