#pragma once

#include <QtGlobal>
#include <cstdint>
#include <unordered_map>
#include <vector>

// The position of every row's value of one field in the engine's sort order: NULL first,
// then numbers, then texts by the engine's collation. Equal values share a rank, so sorting a
// result by ranks gives exactly the order an ORDER BY on that field gives.
class RankTable {
public:
    int32_t rank(qint64 rowid) const {
        if (rowid >= 0 && size_t(rowid) < m_dense.size())
            return m_dense[size_t(rowid)];
        auto it = m_sparse.find(rowid);
        return it == m_sparse.end() ? 0 : it->second;
    }
    void reserveDense(qint64 maxRowid) { m_dense.assign(size_t(maxRowid + 1), 0); }
    void set(qint64 rowid, int32_t rank) {
        if (rowid >= 0 && size_t(rowid) < m_dense.size())
            m_dense[size_t(rowid)] = rank;
        else
            m_sparse[rowid] = rank;
    }

private:
    std::vector<int32_t> m_dense;
    std::unordered_map<qint64, int32_t> m_sparse;
};
