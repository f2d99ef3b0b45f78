#include "CodedFields.h"

#include "ImageRows.h"
#include "PreparedStatement.h"
#include "TableSource.h"

#include <QHash>
#include <cstring>
#include <sqlite3.h>

namespace {

// One field's distinct values as a pass reads them, and which of them each slot holds. They are
// found again through an open-addressing table of entry + 1 (0: free) that grows with them.
class DistinctValues {
public:
    ImageValues distinct;
    // The distinct value each slot holds, -1 before it is read.
    std::vector<int32_t> of;

    explicit DistinctValues(uint32_t rows) : of(rows, -1), m_places(1024, 0) {}

    void add(uint32_t slot, sqlite3_stmt* st, int column) {
        const int type = sqlite3_column_type(st, column);
        const uint8_t ours = ImageValues::typeOf(type);
        int64_t bits = 0;
        QByteArrayView text;
        if (type == SQLITE_INTEGER) {
            bits = sqlite3_column_int64(st, column);
        } else if (type == SQLITE_FLOAT) {
            const double d = sqlite3_column_double(st, column);
            std::memcpy(&bits, &d, sizeof d);
        } else if (type != SQLITE_NULL) {
            const void* data = type == SQLITE_BLOB ? sqlite3_column_blob(st, column)
                                                   : sqlite3_column_text(st, column);
            if (data)
                text = QByteArrayView(static_cast<const char*>(data),
                                      sqlite3_column_bytes(st, column));
        }
        size_t place = hashOf(ours, bits, text) & (m_places.size() - 1);
        for (; m_places[place]; place = (place + 1) & (m_places.size() - 1)) {
            const uint32_t entry = m_places[place] - 1;
            if (distinct.types[entry] == ours &&
                (isNumber(ours) ? distinct.bits[entry] == bits
                                : distinct.texts.at(entry) == text)) {
                of[slot] = int32_t(entry);
                return;
            }
        }
        const uint32_t entry = uint32_t(distinct.types.size());
        distinct.store(entry, st, column);
        m_places[place] = entry + 1;
        of[slot] = int32_t(entry);
        if (2 * distinct.types.size() > m_places.size())
            grow();
    }
    void finish() { std::vector<uint32_t>().swap(m_places); }

private:
    std::vector<uint32_t> m_places;
    static bool isNumber(uint8_t type) {
        return type == ImageValues::Integer || type == ImageValues::Real;
    }
    static size_t hashOf(uint8_t type, int64_t bits, QByteArrayView text) {
        return isNumber(type) ? qHash(bits, type) : qHash(text, type);
    }
    void grow() {
        std::vector<uint32_t> places(m_places.size() * 2, 0);
        for (uint32_t entry = 0; entry < distinct.types.size(); ++entry) {
            const uint8_t type = distinct.types[entry];
            size_t place = hashOf(type, isNumber(type) ? distinct.bits[entry] : 0,
                                  isNumber(type) ? QByteArrayView() : distinct.texts.at(entry)) &
                           (places.size() - 1);
            while (places[place])
                place = (place + 1) & (places.size() - 1);
            places[place] = entry + 1;
        }
        m_places.swap(places);
    }
};

} // namespace

namespace CodedFields {

void read(const TableSource& source, const ImageRows& rows, const std::vector<int>& fields,
          const std::function<void(size_t, ImageValues&, std::vector<int32_t>&)>& take) {
    const PreparedStatement s(source.db(), source.selectWithRowid(fields));
    if (!s)
        source.cannotRead();
    std::vector<DistinctValues> read(fields.size(), DistinctValues(rows.count()));
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        // A row another program added since the row ids were read is left out.
        const int64_t slot = rows.slotOf(sqlite3_column_int64(s, 0));
        if (slot < 0)
            continue;
        for (size_t k = 0; k < fields.size(); ++k)
            read[k].add(uint32_t(slot), s, int(k) + 1);
    }
    if (rc != SQLITE_DONE)
        source.cannotRead();
    for (size_t k = 0; k < fields.size(); ++k) {
        DistinctValues& d = read[k];
        d.finish();
        // A row gone since reads as NULL, as a whole field's read has it.
        const int32_t null = int32_t(d.distinct.types.size());
        bool nullAdded = false;
        for (int32_t& entry : d.of)
            if (entry < 0) {
                if (!nullAdded) {
                    d.distinct.types.push_back(ImageValues::Null);
                    d.distinct.texts.append("", 0);
                    nullAdded = true;
                }
                entry = null;
            }
        if (!d.distinct.bits.empty())
            d.distinct.bits.resize(d.distinct.types.size(), 0);
        take(k, d.distinct, d.of);
        d = DistinctValues(0);
    }
}

} // namespace CodedFields
