#pragma once

#include <QByteArrayView>
#include <QCache>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "EarlyResults.h"
#include "PreparedStatement.h"
#include "TableImage.h"
#include "ViewFilter.h"

class Connection;

// A read-only result of a local-SQL statement over one table file.
//
// Opening keeps only the rows' places in the table held in memory, in result order; rows
// are read on demand by row id, so a million-row result costs a few megabytes, not a copy of
// the table. The conditions and orders the views use are evaluated over the table in memory;
// any other statement is stepped through SQLite and sorted over the same in-memory ranks. The
// texts of a few "cached" fields that whole-result walks need come from the same image.
class Query {
public:
    Query();
    ~Query();

    void close();
    void setDatabaseDir(const QString& dir) { m_databaseDir = dir; }
    QString databaseDir() const { return m_databaseDir; }
    void setSql(const QStringList& lines);
    void clearSql() { setSql({}); }
    void addSqlLine(const QString& line);
    const QStringList& sql() const { return m_lines; }
    QString statementText() const { return m_lines.join(u'\n'); }

    // Fields whose texts are kept for every row when the result opens.
    void setCachedFields(const QStringList& names) { m_requestedCached = names; }

    void prepare(); // throws EngineError
    void open();    // prepares when needed; throws EngineError
    bool isOpen() const { return m_open; }

    int recordCount() const {
        return int(m_early ? m_early->rowCount : m_pending ? m_pendingHits : m_slots.size());
    }
    // Whether the result was opened from its first rows read early (EarlyResults), before its
    // table's file was written: the rest of it is read from the file when first asked for.
    bool isEarly() const { return bool(m_early); }
    // Opens such a result from the file, which gives the same rows (so that a reader of the
    // result sees no change); waits for the file. Throws EngineError when the file could not
    // be written, keeping the first rows.
    void settle() const;
    // Begins building that order on a thread of its own, for a result whose rows past the
    // first ones will be read.
    void prepareOrder();
    // Begins reading the first rows of a prepared statement over every row on a thread of its
    // own, for a result opened later: a start looks up several tables' latest issues at once.
    void prepareFirstRows();
    // Reads the upper-cased texts of `field` into the table's image, for a condition on them
    // that is soon to come: the first letter typed into a title box then finds them at hand.
    // Not while a build of the table runs (a first start): its memory and theirs would add up.
    // False when postponed for that reason, for the caller to ask again later.
    bool prepareUpperTexts(const QString& field);
    QStringList fieldNames() const;
    int fieldCount() const;
    int fieldIndex(const QString& name) const; // case-insensitive, -1 when missing

    // Cursor.
    void first() { m_row = 0; }
    void next() {
        if (m_row < recordCount())
            ++m_row;
    }
    bool eof() const { return !m_open || m_row >= recordCount(); }
    int recNo() const { return m_row; }
    void moveTo(int row) { m_row = qBound(0, row, recordCount()); }

    // Field texts of the current row; empty when the field holds nothing.
    QString fieldByName(const QString& name) const;
    QString fieldText(int field) const { return value(m_row, field); }

    // Random access, as the grid reads the rows it paints.
    QString value(int row, int field) const;
    qint64 rowId(int row) const;

    // Calls visit(slot) for every row of the result by ascending slot: the order the rows are
    // stored, in which a walk whose figures do not depend on the order reads memory front to
    // back.
    template <typename Visit> void walkStoredOrder(Visit visit) const {
        const std::vector<uint8_t>& marks = resultMarks();
        for (uint32_t slot = 0; slot < marks.size(); ++slot)
            if (marks[slot])
                visit(slot);
    }
    // A field of the row at a slot, read from the file.
    QString valueAtSlot(uint32_t slot, int field) const;

    // Cached fields: index into setCachedFields' list, and the UTF-8 text of the current row.
    int cachedFieldIndex(const QString& name) const;
    QByteArrayView cachedBytes(int cachedField) const { return cachedBytes(cachedField, m_row); }
    QByteArrayView cachedBytes(int cachedField, int row) const;
    // A cached field as codes of its distinct values by slot, read when first asked for; null
    // when there is no such field.
    const TableImage::Coded* cachedCoded(int cachedField) const;

private:
    // Puts every row of the result in order. A result over every row whose order is not at
    // hand puts them in order only when a row past the first ones is read: a look-up of the
    // first row (the latest issue) then needs no whole sort, and a first start shows the
    // first screen while the order is built.
    void fillRows() const;
    const QStringList* fetchRow(int row) const;
    // The row's field texts, all empty when the row is gone.
    QStringList readRow(qint64 rowid, bool present) const;

    QString m_databaseDir;
    QStringList m_lines;
    std::shared_ptr<const EarlyResult> m_early;
    // While a result opened early is opened from its file: what was read early.
    std::shared_ptr<const EarlyResult> m_settledFrom;
    // Gives the image the first rows read early, which the file's sort would give.
    void takeEarlyHead(const EarlyResult& early);
    QStringList m_requestedCached;
    QStringList m_cachedNames; // the requested ones the table has
    std::shared_ptr<Connection> m_conn;
    PreparedStatement m_stmt;
    mutable PreparedStatement m_rowStmt;
    bool m_prepared = false;
    bool m_open = false;
    int m_row = 0;
    std::shared_ptr<TableImage> m_image;   // the table as the result was taken from it
    mutable std::vector<uint32_t> m_slots; // the result's rows as slots of m_image
    // Which slots are in the result (for a result stepped through SQLite, made when a walk
    // first asks), and until the rows are put in order, how many and the first in order.
    mutable std::vector<uint8_t> m_marks;
    const std::vector<uint8_t>& resultMarks() const;
    mutable bool m_pending = false;
    size_t m_pendingHits = 0;
    mutable int64_t m_pendingFirst = -1;
    // The first rows of a result over every row whose sort order is not at hand, as SQLite's
    // sort gives them: what a first start shows while the order is built.
    bool m_headFromSqlite = false;
    mutable std::vector<uint32_t> m_head;
    mutable bool m_headRead = false;
    uint32_t slotAt(int row) const;
    std::vector<int> m_cachedFields; // field index of each cached name
    // Each cached field's distinct texts, once the first walk asked for them.
    mutable std::vector<const TableImage::Coded*> m_cachedCoded;
    // ORDER BY done by the engine over precomputed value ranks (fields by index, descending).
    std::vector<std::pair<int, bool>> m_sortFields;
    // The WHERE part when the engine evaluates it itself.
    std::optional<ViewFilter> m_filter;
    void stepThroughSqlite();
    void sortResult();
    mutable QCache<int, QStringList> m_rows{2048};
};
