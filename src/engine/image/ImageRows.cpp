#include "ImageRows.h"

#include "PreparedStatement.h"
#include "TableSource.h"

#include <algorithm>
#include <sqlite3.h>

int64_t ImageRows::slotOf(qint64 rowid) const {
    if (m_dense) {
        if (rowid < m_firstRowid || rowid - m_firstRowid >= qint64(m_count))
            return -1;
        return rowid - m_firstRowid;
    }
    const auto it = std::lower_bound(m_rowids.begin(), m_rowids.end(), rowid);
    return it == m_rowids.end() || *it != rowid ? -1 : int64_t(it - m_rowids.begin());
}

bool ImageRows::sameAs(const ImageRows& other) const {
    return other.m_count == m_count && other.m_dense == m_dense &&
           (m_dense ? other.m_firstRowid == m_firstRowid || m_count == 0
                    : other.m_rowids == m_rowids);
}

void ImageRows::take(std::vector<qint64> rowids) {
    m_read = true;
    m_count = uint32_t(rowids.size());
    m_dense = rowids.empty() || rowids.back() - rowids.front() + 1 == qint64(rowids.size());
    m_firstRowid = rowids.empty() ? 0 : rowids.front();
    m_rowids.clear();
    if (!m_dense) {
        m_rowids = std::move(rowids);
        m_rowids.shrink_to_fit();
    }
}

void ImageRows::takeDense(uint32_t count, qint64 first) {
    m_read = true;
    m_count = count;
    m_dense = true;
    m_firstRowid = first;
    m_rowids.clear();
}

bool ImageRows::readDense(const TableSource& source) {
    // Counting visits the pages without reading their rows, and the ends of the row ids are at
    // the ends of the tree; one statement reads all three from the same state of the file.
    const QString sql = QStringLiteral("SELECT (SELECT count(*) FROM %1), (SELECT min(%2) FROM "
                                       "%1), (SELECT max(%2) FROM %1)")
                            .arg(source.table(), source.rowIdName());
    const PreparedStatement s(source.db(), sql);
    if (!s || sqlite3_step(s) != SQLITE_ROW)
        source.cannotRead();
    const qint64 count = sqlite3_column_int64(s, 0);
    const qint64 first = sqlite3_column_int64(s, 1), last = sqlite3_column_int64(s, 2);
    const bool dense = count == 0 || (last - first >= 0 && last - first + 1 == count);
    if (!dense || count > qint64(UINT32_MAX - 1))
        return false;
    takeDense(uint32_t(count), count == 0 ? 0 : first);
    return true;
}
