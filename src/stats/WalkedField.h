#pragma once

#include "Query.h"

#include <QByteArray>
#include <QByteArrayView>

// The text of one field of the query's current row, as UTF-8, for a walk over every row.
// Fields the query keeps for walks are read without a copy; any other field is read
// through the query into a buffer reused from row to row.
class WalkedField {
public:
    WalkedField(const Query& query, const QString& name)
        : m_query(query), m_cached(query.cachedFieldIndex(name)),
          m_field(m_cached < 0 ? query.fieldIndex(name) : -1) {}

    QByteArrayView bytes() {
        if (m_cached >= 0)
            return m_query.cachedBytes(m_cached);
        if (m_field < 0 || m_query.eof())
            return {};
        m_buffer = m_query.fieldText(m_field).toUtf8();
        return m_buffer;
    }

private:
    const Query& m_query;
    int m_cached;
    int m_field;
    QByteArray m_buffer;
};
