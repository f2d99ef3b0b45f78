#include "ImageColumns.h"

#include "ImageRows.h"
#include "PreparedStatement.h"
#include "TableSource.h"

#include <sqlite3.h>

namespace ImageColumns {

Read read(const TableSource& source, const ImageRows& rows, const std::vector<int>& fields) {
    const bool readsRowids = !rows.isRead();
    const PreparedStatement s(source.db(), source.selectWithRowid(fields) +
                                               QStringLiteral(" ORDER BY ") + source.rowIdName());
    if (!s)
        source.cannotRead();
    const uint32_t n = rows.count();
    // With the row ids known, each field's per-row vectors are taken at their size at once,
    // where growing by doubling held the old and the new block for a moment.
    Read read;
    for (size_t k = 0; k < fields.size(); ++k) {
        read.values.push_back(std::make_unique<ImageValues>());
        read.values.back()->types.reserve(n);
        read.values.back()->texts.ends.reserve(n);
    }
    uint32_t slot = 0;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        const qint64 id = sqlite3_column_int64(s, 0);
        if (readsRowids) {
            slot = uint32_t(read.rowids.size());
            read.rowids.push_back(id);
        } else if (slot >= n || rows.rowid(slot) != id) {
            // Rows come in row id order, as the slots do; a row that came or went since
            // (another program writing in between) is skipped or reads as NULL.
            const int64_t found = rows.slotOf(id);
            if (found < 0)
                continue;
            slot = uint32_t(found);
        }
        for (size_t k = 0; k < fields.size(); ++k)
            read.values[k]->store(slot, s, int(k) + 1);
        ++slot;
    }
    if (rc != SQLITE_DONE)
        source.cannotRead();
    const size_t count = readsRowids ? read.rowids.size() : n;
    for (const std::unique_ptr<ImageValues>& v : read.values) {
        while (v->types.size() < count) {
            v->types.push_back(ImageValues::Null);
            v->texts.append("", 0);
        }
        if (!v->bits.empty())
            v->bits.resize(count, 0);
        // The texts' spare room is left as it is: its pages were never written and mostly take
        // no memory, while a copy to fit held the field twice for a moment, which at a million
        // rows was the peak of the whole run.
    }
    return read;
}

void unmarkNullsAmong(const TableSource& source, const ImageRows& rows, int field,
                      const std::vector<uint32_t>& candidates, std::vector<uint8_t>& marked) {
    const PreparedStatement s(source.db(),
                              QStringLiteral("SELECT %1 IS NULL FROM %2 WHERE %3=?")
                                  .arg(source.field(field), source.table(), source.rowIdName()));
    if (!s)
        source.cannotRead();
    for (uint32_t slot : candidates) {
        sqlite3_bind_int64(s, 1, rows.rowid(slot));
        const int rc = sqlite3_step(s);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            source.cannotRead();
        if (rc == SQLITE_DONE || sqlite3_column_int(s, 0) != 0)
            marked[slot] = 0;
        sqlite3_reset(s);
    }
}

} // namespace ImageColumns
