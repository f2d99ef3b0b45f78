#pragma once

#include "Query.h"

#include <QByteArray>
#include <QByteArrayView>
#include <functional>
#include <vector>

// What a walk over every row in stored order makes of one field's UTF-8 text, by slot. For a
// field the query keeps for walks it is made once per distinct text; any other field is read
// through the query row by row.
template <typename T> class WalkedField {
public:
    using Read = std::function<T(QByteArrayView)>;

    WalkedField(const Query& query, const QString& name, Read read)
        : m_query(query), m_read(std::move(read)) {
        if (const TableImage::Coded* c = query.cachedCoded(query.cachedFieldIndex(name))) {
            m_codes = c->codes.data();
            m_ofCode.reserve(c->distinct.types.size());
            for (uint32_t code = 0; code < c->distinct.types.size(); ++code)
                m_ofCode.push_back(m_read(c->distinct.texts.at(code)));
        } else {
            m_field = query.fieldIndex(name);
        }
    }

    T at(uint32_t slot) {
        if (m_codes)
            return m_ofCode[size_t(m_codes[slot])];
        m_buffer = m_field < 0 ? QByteArray() : m_query.valueAtSlot(slot, m_field).toUtf8();
        return m_read(m_buffer);
    }

private:
    const Query& m_query;
    Read m_read;
    const int32_t* m_codes = nullptr;
    std::vector<T> m_ofCode;
    int m_field = -1;
    QByteArray m_buffer;
};
