#pragma once

#include <QtGlobal>
#include <cstdint>
#include <vector>

class TableSource;

// The row ids of an image in ascending order: a row's slot is its place among them.
class ImageRows {
public:
    bool isRead() const { return m_read; }
    uint32_t count() const { return m_count; }
    bool isDense() const { return m_dense; }
    qint64 firstRowid() const { return m_firstRowid; }
    // Left empty when the row ids run without a gap.
    const std::vector<qint64>& rowids() const { return m_rowids; }

    qint64 rowid(uint32_t slot) const { return m_dense ? m_firstRowid + slot : m_rowids[slot]; }
    // The slot of a row id, -1 when there is no such row.
    int64_t slotOf(qint64 rowid) const;
    // Whether both hold the same rows.
    bool sameAs(const ImageRows& other) const;

    void take(std::vector<qint64> rowids);
    // `count` rows from `first` on, without a gap.
    void takeDense(uint32_t count, qint64 first);
    // Row ids that run without a gap are known from their count and their ends alone: false,
    // taking nothing, when there is a gap.
    bool readDense(const TableSource& source);

private:
    std::vector<qint64> m_rowids;
    uint32_t m_count = 0;
    bool m_dense = true; // slot == rowid - m_firstRowid for every row
    qint64 m_firstRowid = 0;
    bool m_read = false;
};
