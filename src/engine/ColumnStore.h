#pragma once

#include <QByteArrayView>
#include <QtGlobal>
#include <string>
#include <unordered_map>
#include <vector>

// The UTF-8 texts of one field for every row of a table, by row id: what whole-result walks
// read for each row without asking the database again.
class ColumnStore {
public:
    QByteArrayView text(qint64 rowid) const {
        size_t slot;
        if (rowid >= 0 && size_t(rowid) < m_slotOfRowid.size())
            slot = m_slotOfRowid[size_t(rowid)];
        else {
            auto it = m_sparse.find(rowid);
            if (it == m_sparse.end())
                return {};
            slot = it->second;
        }
        if (slot == kNone)
            return {};
        const quint32 begin = slot == 0 ? 0 : m_ends[slot - 1];
        return QByteArrayView(m_bytes.data() + begin, m_ends[slot] - begin);
    }

    void reserveDense(qint64 maxRowid) { m_slotOfRowid.assign(size_t(maxRowid + 1), kNone); }
    void add(qint64 rowid, const char* text, size_t length) {
        const size_t slot = m_ends.size();
        m_bytes.append(text, length);
        m_ends.push_back(quint32(m_bytes.size()));
        if (rowid >= 0 && size_t(rowid) < m_slotOfRowid.size())
            m_slotOfRowid[size_t(rowid)] = quint32(slot);
        else
            m_sparse[rowid] = slot;
    }

private:
    static constexpr quint32 kNone = 0xFFFFFFFFu;
    std::vector<quint32> m_slotOfRowid;
    std::unordered_map<qint64, size_t> m_sparse;
    std::vector<quint32> m_ends;
    std::string m_bytes;
};
