#include "TableImage.h"

#include "EngineError.h"
#include "LocalSqlTranslator.h"
#include "PreparedStatement.h"
#include "SqlFunctions.h"

#include <QHash>
#include <algorithm>
#include <cstring>
#include <numeric>
#include <sqlite3.h>
#include <unordered_map>

namespace {

[[noreturn]] void cannotRead(sqlite3* db) {
    throw EngineError(QStringLiteral("Die Tabelle kann nicht gelesen werden: \"%1\"")
                          .arg(QString::fromUtf8(sqlite3_errmsg(db))));
}

// Numbers compare by value whatever their storage class, as SQLite compares them.
int compareNumbers(const TableImage::Values& v, uint32_t a, uint32_t b) {
    if (v.types[a] == TableImage::Integer && v.types[b] == TableImage::Integer)
        return v.bits[a] < v.bits[b] ? -1 : (v.bits[a] > v.bits[b] ? 1 : 0);
    const double x = v.number(a), y = v.number(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

// Each field once, those the image has already left out.
template <typename Has> std::vector<int> fieldsLacking(std::vector<int> fields, Has has) {
    std::sort(fields.begin(), fields.end());
    fields.erase(std::unique(fields.begin(), fields.end()), fields.end());
    fields.erase(std::remove_if(fields.begin(), fields.end(), has), fields.end());
    return fields;
}

int compareBlobs(QByteArrayView a, QByteArrayView b) {
    const int n = std::memcmp(a.data(), b.data(), size_t(std::min(a.size(), b.size())));
    if (n)
        return n < 0 ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

double TableImage::Values::number(uint32_t slot) const {
    if (types[slot] == Integer)
        return double(bits[slot]);
    double d;
    std::memcpy(&d, &bits[slot], sizeof d);
    return d;
}

TableImage::TableImage(sqlite3* db, const QString& table, const QStringList& fields,
                       const QString& rowIdName)
    : m_db(db), m_table(table), m_fields(fields), m_rowIdName(rowIdName) {}

void TableImage::takeRowids(std::vector<qint64> rowids) {
    m_rowidsRead = true;
    m_rowCount = uint32_t(rowids.size());
    m_dense = rowids.empty() || rowids.back() - rowids.front() + 1 == qint64(rowids.size());
    m_firstRowid = rowids.empty() ? 0 : rowids.front();
    m_rowids.clear();
    if (!m_dense) {
        m_rowids = std::move(rowids);
        m_rowids.shrink_to_fit();
    }
}

bool TableImage::readDenseRowids() {
    // Counting visits the pages without reading their rows, and the ends of the row ids are at
    // the ends of the tree; one statement reads all three from the same state of the file.
    const QString sql = QStringLiteral("SELECT (SELECT count(*) FROM %1), (SELECT min(%2) FROM "
                                       "%1), (SELECT max(%2) FROM %1)")
                            .arg(LocalSqlTranslator::sqlIdentifier(m_table), m_rowIdName);
    const PreparedStatement s(m_db, sql);
    if (!s || sqlite3_step(s) != SQLITE_ROW)
        cannotRead(m_db);
    const qint64 count = sqlite3_column_int64(s, 0);
    const qint64 first = sqlite3_column_int64(s, 1), last = sqlite3_column_int64(s, 2);
    const bool dense = count == 0 || (last - first >= 0 && last - first + 1 == count);
    if (!dense || count > qint64(UINT32_MAX - 1))
        return false;
    m_rowidsRead = true;
    m_rowCount = uint32_t(count);
    m_dense = true;
    m_firstRowid = count == 0 ? 0 : first;
    m_rowids.clear();
    m_newParts = true;
    return true;
}

int64_t TableImage::slotOf(qint64 rowid) const {
    if (m_dense) {
        if (rowid < m_firstRowid || rowid - m_firstRowid >= qint64(m_rowCount))
            return -1;
        return rowid - m_firstRowid;
    }
    const auto it = std::lower_bound(m_rowids.begin(), m_rowids.end(), rowid);
    return it == m_rowids.end() || *it != rowid ? -1 : int64_t(it - m_rowids.begin());
}

namespace {

void storeValue(TableImage::Values& v, uint32_t slot, sqlite3_stmt* st, int column) {
    while (v.types.size() < slot) {
        v.types.push_back(TableImage::Null);
        v.texts.append("", 0);
    }
    const int type = sqlite3_column_type(st, column);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        if (v.bits.size() <= slot) {
            v.bits.reserve(std::max<size_t>(v.types.capacity(), slot + 1));
            v.bits.resize(slot + 1, 0);
        }
        if (type == SQLITE_INTEGER) {
            v.bits[slot] = sqlite3_column_int64(st, column);
        } else {
            const double d = sqlite3_column_double(st, column);
            std::memcpy(&v.bits[slot], &d, sizeof d);
        }
    }
    v.types.push_back(type == SQLITE_INTEGER ? TableImage::Integer
                      : type == SQLITE_FLOAT ? TableImage::Real
                      : type == SQLITE_BLOB  ? TableImage::Blob
                      : type == SQLITE_TEXT  ? TableImage::Text
                                             : TableImage::Null);
    if (type == SQLITE_NULL) {
        v.texts.append("", 0);
        return;
    }
    const auto* t = static_cast<const char*>(
        type == SQLITE_BLOB ? sqlite3_column_blob(st, column)
                            : static_cast<const void*>(sqlite3_column_text(st, column)));
    v.texts.append(t ? t : "", t ? size_t(sqlite3_column_bytes(st, column)) : 0);
}

} // namespace

void TableImage::load(std::vector<int> fields) {
    // Fields the cache file holds are read from it when first asked for.
    fields = fieldsLacking(std::move(fields), [&](int f) { return holds(f); });
    for (int f : fields)
        checkField(f);
    const bool readsRowids = !m_rowidsRead;
    if (!readsRowids && fields.empty())
        return;
    if (readsRowids && fields.empty() && readDenseRowids())
        return;
    // One pass over the file for the row ids and every field asked for.
    QString sql = QStringLiteral("SELECT ") + m_rowIdName;
    for (int f : fields)
        sql += QStringLiteral(", ") + LocalSqlTranslator::sqlIdentifier(m_fields[f]);
    sql += QStringLiteral(" FROM %1 ORDER BY %2")
               .arg(LocalSqlTranslator::sqlIdentifier(m_table), m_rowIdName);
    const PreparedStatement s(m_db, sql);
    if (!s)
        cannotRead(m_db);
    const uint32_t n = rowCount();
    // With the row ids known, each field's per-row vectors are taken at their size at once,
    // where growing by doubling held the old and the new block for a moment.
    std::vector<std::unique_ptr<Values>> loaded;
    for (size_t k = 0; k < fields.size(); ++k) {
        loaded.push_back(std::make_unique<Values>());
        loaded.back()->types.reserve(n);
        loaded.back()->texts.ends.reserve(n);
    }
    std::vector<qint64> rowids;
    uint32_t slot = 0;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        const qint64 id = sqlite3_column_int64(s, 0);
        if (readsRowids) {
            slot = uint32_t(rowids.size());
            rowids.push_back(id);
        } else if (slot >= n || rowid(slot) != id) {
            // Rows come in row id order, as the slots do; a row that came or went since
            // (another program writing in between) is skipped or reads as NULL.
            const int64_t found = slotOf(id);
            if (found < 0)
                continue;
            slot = uint32_t(found);
        }
        for (size_t k = 0; k < fields.size(); ++k)
            storeValue(*loaded[k], slot, s, int(k) + 1);
        ++slot;
    }
    if (rc != SQLITE_DONE)
        cannotRead(m_db);
    if (readsRowids)
        takeRowids(std::move(rowids));
    m_newParts = true;
    for (size_t k = 0; k < fields.size(); ++k) {
        Values& v = *loaded[k];
        while (v.types.size() < rowCount()) {
            v.types.push_back(Null);
            v.texts.append("", 0);
        }
        if (!v.bits.empty())
            v.bits.resize(rowCount(), 0);
        // The texts' spare room is left as it is: its pages were never written and mostly take
        // no memory, while a copy to fit held the field twice for a moment, which at a million
        // rows was the peak of the whole run.
        m_values.emplace(fields[k], std::move(loaded[k]));
    }
}

namespace {

// One field's distinct values as a pass reads them, and which of them each slot holds. They are
// found again through an open-addressing table of entry + 1 (0: free) that grows with them.
class DistinctValues {
public:
    TableImage::Values distinct;
    // The distinct value each slot holds, -1 before it is read; its rank in the end.
    std::vector<int32_t> of;

    explicit DistinctValues(uint32_t rows) : of(rows, -1), m_places(1024, 0) {}

    void add(uint32_t slot, sqlite3_stmt* st, int column) {
        const int type = sqlite3_column_type(st, column);
        const uint8_t ours = type == SQLITE_INTEGER ? TableImage::Integer
                             : type == SQLITE_FLOAT ? TableImage::Real
                             : type == SQLITE_BLOB  ? TableImage::Blob
                             : type == SQLITE_TEXT  ? TableImage::Text
                                                    : TableImage::Null;
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
        storeValue(distinct, entry, st, column);
        m_places[place] = entry + 1;
        of[slot] = int32_t(entry);
        if (2 * distinct.types.size() > m_places.size())
            grow();
    }
    void finish() { std::vector<uint32_t>().swap(m_places); }

private:
    std::vector<uint32_t> m_places;
    static bool isNumber(uint8_t type) {
        return type == TableImage::Integer || type == TableImage::Real;
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

void TableImage::checkField(int field) const {
    if (field < 0 || field >= m_fields.size())
        throw EngineError(QStringLiteral("Feldnummer außerhalb des gültigen Bereichs"));
}

template <typename Take> void TableImage::readDistinct(const std::vector<int>& fields, Take take) {
    for (int f : fields)
        checkField(f);
    if (!m_rowidsRead)
        load({});
    QString sql = QStringLiteral("SELECT ") + m_rowIdName;
    for (int f : fields)
        sql += QStringLiteral(", ") + LocalSqlTranslator::sqlIdentifier(m_fields[f]);
    sql += QStringLiteral(" FROM %1").arg(LocalSqlTranslator::sqlIdentifier(m_table));
    const PreparedStatement s(m_db, sql);
    if (!s)
        cannotRead(m_db);
    std::vector<DistinctValues> read(fields.size(), DistinctValues(rowCount()));
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        // A row another program added since the row ids were read is left out.
        const int64_t slot = slotOf(sqlite3_column_int64(s, 0));
        if (slot < 0)
            continue;
        for (size_t k = 0; k < fields.size(); ++k)
            read[k].add(uint32_t(slot), s, int(k) + 1);
    }
    if (rc != SQLITE_DONE)
        cannotRead(m_db);
    for (size_t k = 0; k < fields.size(); ++k) {
        DistinctValues& d = read[k];
        d.finish();
        // A row gone since reads as NULL, as load() has it.
        const int32_t null = int32_t(d.distinct.types.size());
        bool nullAdded = false;
        for (int32_t& entry : d.of)
            if (entry < 0) {
                if (!nullAdded) {
                    d.distinct.types.push_back(Null);
                    d.distinct.texts.append("", 0);
                    nullAdded = true;
                }
                entry = null;
            }
        if (!d.distinct.bits.empty())
            d.distinct.bits.resize(d.distinct.types.size(), 0);
        take(k, d.distinct, d.of);
        d = DistinctValues(0);
        m_newParts = true;
    }
}

void TableImage::loadRanks(std::vector<int> fields) {
    fields = fieldsLacking(std::move(fields), [&](int f) { return hasRanks(f); });
    if (fields.empty())
        return;
    readDistinct(fields, [&](size_t k, Values& distinct, std::vector<int32_t>& of) {
        const std::vector<int32_t> rankOfDistinct = computeRanks(distinct);
        // In place: a second list of a million ranks would be held beside it.
        for (int32_t& entry : of)
            entry = rankOfDistinct[size_t(entry)];
        m_ranks.emplace(fields[k], std::move(of));
    });
}

void TableImage::loadCoded(std::vector<int> fields) {
    fields = fieldsLacking(std::move(fields), [&](int f) { return hasCoded(f); });
    if (fields.empty())
        return;
    readDistinct(fields, [&](size_t k, Values& distinct, std::vector<int32_t>& of) {
        auto c = std::make_unique<Coded>();
        c->codes = std::move(of);
        c->distinct = std::move(distinct);
        m_coded.emplace(fields[k], std::move(c));
    });
}

const TableImage::Coded& TableImage::coded(int field) {
    if (m_coded.count(field) == 0 && !takeStoredCoded(field))
        loadCoded({field});
    return *m_coded.at(field);
}

const TableImage::Values& TableImage::values(int field) {
    if (m_values.count(field) == 0 && !takeStoredValues(field))
        load({field});
    return *m_values.at(field);
}

namespace {

// Appends UPPER of a text as the engine computes it; ASCII, by far the most, without a copy.
void appendUpper(TableImage::Texts& up, QByteArrayView text) {
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) {
        const QByteArray folded = SqlFunctions::upperUtf8(text);
        up.append(folded.constData(), size_t(folded.size()));
        return;
    }
    const size_t at = up.bytes.size();
    up.bytes.append(text.data(), size_t(text.size()));
    for (size_t i = at; i < up.bytes.size(); ++i)
        if (up.bytes[i] >= 'a' && up.bytes[i] <= 'z')
            up.bytes[i] = char(up.bytes[i] - 32);
    up.ends.push_back(uint32_t(up.bytes.size()));
}

} // namespace

const TableImage::Texts& TableImage::upperTexts(int field) {
    if (auto it = m_upper.find(field); it != m_upper.end() || takeStoredUpper(field))
        return *m_upper.at(field);
    auto up = std::make_unique<Texts>();
    up->ends.reserve(rowCount());
    if (holds(field)) {
        const Values& v = values(field);
        up->bytes.reserve(v.texts.bytes.size());
        for (uint32_t slot = 0; slot < rowCount(); ++slot)
            appendUpper(*up, v.texts.at(slot));
    } else {
        // Upper-cased as the file is read, so the field's own texts need not be held.
        checkField(field);
        if (!m_rowidsRead)
            load({});
        const PreparedStatement s(m_db, QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY %1")
                                            .arg(m_rowIdName,
                                                 LocalSqlTranslator::sqlIdentifier(m_fields[field]),
                                                 LocalSqlTranslator::sqlIdentifier(m_table)));
        if (!s)
            cannotRead(m_db);
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            // A row another program added since is left out; one it deleted reads as NULL.
            const int64_t slot = slotOf(sqlite3_column_int64(s, 0));
            if (slot < 0)
                continue;
            while (up->ends.size() < size_t(slot))
                up->append("", 0);
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
            appendUpper(*up,
                        text ? QByteArrayView(text, sqlite3_column_bytes(s, 1)) : QByteArrayView());
        }
        if (rc != SQLITE_DONE)
            cannotRead(m_db);
        while (up->ends.size() < rowCount())
            up->append("", 0);
        up->bytes.shrink_to_fit();
    }
    m_newParts = true;
    return *m_upper.emplace(field, std::move(up)).first->second;
}

void TableImage::unmarkNulls(int field, std::vector<uint8_t>& marked) {
    // Looked up one by one, a few thousand slots take a few milliseconds.
    constexpr size_t kFewSlots = 2048;
    if (m_values.count(field) == 0) {
        const Texts& up = upperTexts(field);
        std::vector<uint32_t> empty;
        for (uint32_t slot = 0; slot < m_rowCount && empty.size() <= kFewSlots; ++slot)
            if (marked[slot] && up.at(slot).isEmpty())
                empty.push_back(slot);
        if (empty.size() <= kFewSlots) {
            if (empty.empty())
                return;
            const PreparedStatement s(
                m_db, QStringLiteral("SELECT %1 IS NULL FROM %2 WHERE %3=?")
                          .arg(LocalSqlTranslator::sqlIdentifier(m_fields[field]),
                               LocalSqlTranslator::sqlIdentifier(m_table), m_rowIdName));
            if (!s)
                cannotRead(m_db);
            for (uint32_t slot : empty) {
                sqlite3_bind_int64(s, 1, rowid(slot));
                const int rc = sqlite3_step(s);
                if (rc != SQLITE_ROW && rc != SQLITE_DONE)
                    cannotRead(m_db);
                // A row deleted since the row ids were read holds NULL, as load() reads it.
                if (rc == SQLITE_DONE || sqlite3_column_int(s, 0) != 0)
                    marked[slot] = 0;
                sqlite3_reset(s);
            }
            return;
        }
    }
    const std::vector<uint8_t>& types = values(field).types;
    for (uint32_t slot = 0; slot < m_rowCount; ++slot)
        if (types[slot] == Null)
            marked[slot] = 0;
}

const std::vector<int32_t>& TableImage::ranks(int field) {
    if (auto it = m_ranks.find(field); it != m_ranks.end() || takeStoredRanks(field))
        return m_ranks.at(field);
    // Values held already are sorted as they are; others need not be held for it.
    if (!holds(field)) {
        loadRanks({field});
        return m_ranks.at(field);
    }
    const Values& v = values(field);
    m_newParts = true;
    return m_ranks.emplace(field, computeRanks(v)).first->second;
}

void TableImage::prepareRanks(const std::vector<int>& fields) {
    std::vector<int> unread;
    for (int f : fields)
        if (!m_ranks.count(f) && !takeStoredRanks(f) && !holds(f))
            unread.push_back(f);
    // One pass over the file for all of them.
    loadRanks(unread);
}

int TableImage::compareValues(const Values& v, uint32_t a, uint32_t b) {
    const int ca = v.types[a] == Real ? Integer : v.types[a];
    const int cb = v.types[b] == Real ? Integer : v.types[b];
    if (ca != cb)
        return ca < cb ? -1 : 1;
    if (ca == Null)
        return 0;
    if (ca == Integer)
        return compareNumbers(v, a, b);
    if (ca == Blob)
        return compareBlobs(v.texts.at(a), v.texts.at(b));
    return SqlFunctions::collate(v.texts.at(a), v.texts.at(b));
}

std::vector<int32_t> TableImage::computeRanks(const Values& v) {
    const uint32_t n = uint32_t(v.types.size());
    // Sorting distinct values only: issues and ratings repeat a great deal.
    std::vector<uint32_t> firstOf; // a slot holding each distinct value
    std::vector<uint32_t> distinctOf(n);
    {
        // Texts are found again through an open-addressing table of slot + 1 (0: free),
        // four bytes a place, where a map of a million titles would take ten times as much.
        // It grows with the distinct texts found, kept at most half full: a field of a few
        // hundred makers needs a few kilobytes, not a place for every row.
        size_t places = 16, held = 0;
        std::vector<uint32_t> texts(places, 0);
        const auto insert = [&](uint32_t slot) {
            size_t place = qHash(v.texts.at(slot), 0) & (places - 1);
            while (texts[place])
                place = (place + 1) & (places - 1);
            texts[place] = slot + 1;
        };
        std::unordered_map<int64_t, uint32_t> numbers[2]; // integers, reals by bits
        bool hasNull = false;
        uint32_t nullIndex = 0;
        for (uint32_t slot = 0; slot < n; ++slot) {
            const uint8_t type = v.types[slot];
            uint32_t index = uint32_t(firstOf.size());
            bool fresh = true;
            if (type == Null) {
                if (hasNull) {
                    index = nullIndex;
                    fresh = false;
                }
                hasNull = true;
                nullIndex = index;
            } else if (type == Integer || type == Real) {
                auto [it, added] = numbers[type == Real].emplace(v.bits[slot], index);
                index = it->second;
                fresh = added;
            } else {
                const QByteArrayView text = v.texts.at(slot);
                size_t place = qHash(text, 0) & (places - 1);
                for (; texts[place]; place = (place + 1) & (places - 1)) {
                    const uint32_t other = texts[place] - 1;
                    // A blob with a text's bytes (rare) is a value of its own.
                    if (v.types[other] == type && v.texts.at(other) == text) {
                        index = distinctOf[other];
                        fresh = false;
                        break;
                    }
                }
                if (fresh && 2 * ++held > places) {
                    places *= 2;
                    std::vector<uint32_t>(places, 0).swap(texts);
                    for (uint32_t first : firstOf)
                        if (v.types[first] == Text || v.types[first] == Blob)
                            insert(first);
                    insert(slot);
                } else if (fresh) {
                    texts[place] = slot + 1;
                }
            }
            if (fresh)
                firstOf.push_back(slot);
            distinctOf[slot] = index;
        }
    }
    std::vector<uint64_t> prefix(firstOf.size(), 0);
    for (size_t d = 0; d < firstOf.size(); ++d)
        if (v.types[firstOf[d]] == Text)
            prefix[d] = SqlFunctions::primaryPrefix(v.texts.at(firstOf[d]));
    auto compare = [&](uint32_t da, uint32_t db) {
        const uint32_t a = firstOf[da], b = firstOf[db];
        if (v.types[a] == Text && v.types[b] == Text && prefix[da] != prefix[db])
            return prefix[da] < prefix[db] ? -1 : 1;
        return compareValues(v, a, b);
    };
    std::vector<uint32_t> sorted(firstOf.size());
    std::iota(sorted.begin(), sorted.end(), 0u);
    std::sort(sorted.begin(), sorted.end(),
              [&](uint32_t a, uint32_t b) { return compare(a, b) < 0; });
    std::vector<int32_t> rankOfDistinct(firstOf.size());
    int32_t rank = -1;
    for (size_t i = 0; i < sorted.size(); ++i) {
        if (i == 0 || compare(sorted[i - 1], sorted[i]) != 0)
            ++rank;
        rankOfDistinct[sorted[i]] = rank;
    }
    std::vector<int32_t> ranks(n);
    for (uint32_t slot = 0; slot < n; ++slot)
        ranks[slot] = rankOfDistinct[distinctOf[slot]];
    return ranks;
}

const std::vector<uint32_t>& TableImage::order(const SortSpec& spec) {
    if (auto it = m_orders.find(spec); it != m_orders.end() || takeStoredOrder(spec))
        return m_orders.at(spec);
    std::vector<int> keys;
    for (const auto& [field, desc] : spec)
        keys.push_back(field);
    prepareRanks(keys);
    const uint32_t n = rowCount();
    std::vector<uint32_t> sorted(n);
    std::iota(sorted.begin(), sorted.end(), 0u);
    // Stable counting sorts from the last key to the first over dense ranks; sorted start in
    // row id order, which settles equal keys.
    std::vector<uint32_t> next(n);
    for (auto key = spec.rbegin(); key != spec.rend(); ++key) {
        const std::vector<int32_t>& r = ranks(key->first);
        const int32_t top = n ? *std::max_element(r.begin(), r.end()) : 0;
        std::vector<uint32_t> counts(size_t(top) + 2, 0);
        auto bucket = [&](uint32_t slot) { return size_t(key->second ? top - r[slot] : r[slot]); };
        for (uint32_t slot : sorted)
            ++counts[bucket(slot) + 1];
        std::partial_sum(counts.begin(), counts.end(), counts.begin());
        for (uint32_t slot : sorted)
            next[counts[bucket(slot)]++] = slot;
        sorted.swap(next);
    }
    m_newParts = true;
    return m_orders.emplace(spec, std::move(sorted)).first->second;
}

int64_t TableImage::firstInOrder(const SortSpec& spec, const std::vector<uint8_t>& marked) {
    const bool all = !marked.empty() && marked.size() == rowCount() &&
                     std::find(marked.begin(), marked.end(), 0) == marked.end();
    if (all)
        if (const auto it = m_firstOfAll.find(spec); it != m_firstOfAll.end())
            return it->second;
    // One pass over the ranks when they are at hand; over every row SQLite's sort finds the
    // first without the values in memory, which a latest-issue look-up would otherwise read
    // whole.
    const bool valuesHeld =
        std::all_of(spec.begin(), spec.end(), [&](const auto& key) { return holds(key.first); });
    const bool ranksHeld =
        std::all_of(spec.begin(), spec.end(), [&](const auto& key) { return hasRanks(key.first); });
    int64_t first = -1;
    if (ranksHeld) {
        first = firstByRanks(spec, marked);
    } else if (all && !valuesHeld) {
        const std::vector<uint32_t> head = headOfAll(spec, 1);
        if (!head.empty())
            first = head.front();
    }
    if (first < 0)
        first = firstMarked(spec, marked);
    if (all && first >= 0) {
        m_firstOfAll.emplace(spec, uint32_t(first));
        m_newParts = true;
    }
    return first;
}

namespace {

// The first marked slot by `compare(key, a, b)` (-1, 0 or 1) over the keys of the sort. Slots
// ascend, so a later slot with equal keys never replaces the one found first.
template <typename Compare>
int64_t firstMarkedBy(const TableImage::SortSpec& spec, const std::vector<uint8_t>& marked,
                      Compare compare) {
    int64_t best = -1;
    for (uint32_t slot = 0; slot < marked.size(); ++slot) {
        if (!marked[slot])
            continue;
        if (best < 0) {
            best = slot;
            continue;
        }
        for (size_t k = 0; k < spec.size(); ++k) {
            const int c = compare(k, slot, uint32_t(best));
            if (c == 0)
                continue;
            if ((c < 0) != spec[k].second)
                best = slot;
            break;
        }
    }
    return best;
}

} // namespace

int64_t TableImage::firstByRanks(const SortSpec& spec, const std::vector<uint8_t>& marked) {
    std::vector<const std::vector<int32_t>*> keys;
    for (const auto& [field, desc] : spec)
        keys.push_back(&ranks(field));
    return firstMarkedBy(spec, marked, [&](size_t k, uint32_t a, uint32_t b) {
        const int32_t x = (*keys[k])[a], y = (*keys[k])[b];
        return x < y ? -1 : (x > y ? 1 : 0);
    });
}

int64_t TableImage::firstMarked(const SortSpec& spec, const std::vector<uint8_t>& marked) {
    std::vector<const Values*> keys;
    for (const auto& [field, desc] : spec)
        keys.push_back(&values(field));
    return firstMarkedBy(spec, marked, [&](size_t k, uint32_t a, uint32_t b) {
        const Values& v = *keys[k];
        // Equal bytes of one type are equal values; most slots of a latest-issue look-up end
        // here without the collation.
        if (v.types[a] == v.types[b] && v.texts.at(a) == v.texts.at(b) &&
            (v.bits.empty() || v.bits[a] == v.bits[b]))
            return 0;
        return compareValues(v, a, b);
    });
}

std::vector<uint32_t> TableImage::headOfAll(const SortSpec& spec, uint32_t count) {
    if (!m_rowidsRead)
        load({});
    if (hasHead(spec, count)) {
        const std::vector<uint32_t>& read = m_heads.at(spec).second;
        return {read.begin(), read.begin() + std::min<size_t>(count, read.size())};
    }
    QString sql = QStringLiteral("SELECT %1 FROM %2 ORDER BY ")
                      .arg(m_rowIdName, LocalSqlTranslator::sqlIdentifier(m_table));
    for (const auto& [field, desc] : spec) {
        checkField(field);
        sql += LocalSqlTranslator::sqlIdentifier(m_fields[field]) + QStringLiteral(" COLLATE ") +
               QLatin1String(SqlFunctions::kCollation) +
               (desc ? QStringLiteral(" DESC, ") : QStringLiteral(", "));
    }
    sql += m_rowIdName + QStringLiteral(" LIMIT ") + QString::number(count);
    const PreparedStatement s(m_db, sql);
    if (!s)
        cannotRead(m_db);
    std::vector<uint32_t> head;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
        if (const int64_t slot = slotOf(sqlite3_column_int64(s, 0)); slot >= 0)
            head.push_back(uint32_t(slot));
    if (rc != SQLITE_DONE)
        cannotRead(m_db);
    if (!head.empty() && m_firstOfAll.emplace(spec, head.front()).second)
        m_newParts = true;
    m_heads[spec] = {count, head};
    return head;
}

bool TableImage::adopt(TableImage& built) {
    const bool sameRows = built.m_rowCount == m_rowCount && built.m_dense == m_dense &&
                          (m_dense ? built.m_firstRowid == m_firstRowid || m_rowCount == 0
                                   : built.m_rowids == m_rowids);
    if (!sameRows)
        return false;
    for (auto& [field, ranks] : built.m_ranks)
        if (!hasRanks(field)) {
            m_ranks.emplace(field, std::move(ranks));
            m_newParts = true;
        }
    for (auto& [spec, order] : built.m_orders)
        if (!hasOrder(spec)) {
            m_orders.emplace(spec, std::move(order));
            m_newParts = true;
        }
    for (auto& [spec, head] : built.m_heads)
        if (!hasHead(spec, head.first))
            m_heads[spec] = std::move(head);
    for (const auto& [spec, first] : built.m_firstOfAll)
        if (m_firstOfAll.emplace(spec, first).second)
            m_newParts = true;
    return true;
}

std::vector<uint32_t> TableImage::slotsWithUpperText(int field, QByteArrayView upperText) {
    const Texts& up = upperTexts(field);
    const Values& v = values(field);
    auto hashOf = [](QByteArrayView t) { return qHash(t, 0); };
    auto it = m_upperIndex.find(field);
    if (it == m_upperIndex.end()) {
        std::vector<std::pair<size_t, uint32_t>> keyed(rowCount());
        for (uint32_t slot = 0; slot < rowCount(); ++slot)
            keyed[slot] = {hashOf(up.at(slot)), slot};
        std::sort(keyed.begin(), keyed.end());
        std::vector<uint32_t> index(rowCount());
        for (uint32_t i = 0; i < rowCount(); ++i)
            index[i] = keyed[i].second;
        it = m_upperIndex.emplace(field, std::move(index)).first;
    }
    const std::vector<uint32_t>& index = it->second;
    const size_t wanted = hashOf(upperText);
    auto first = std::lower_bound(index.begin(), index.end(), wanted,
                                  [&](uint32_t slot, size_t h) { return hashOf(up.at(slot)) < h; });
    std::vector<uint32_t> found;
    for (; first != index.end() && hashOf(up.at(*first)) == wanted; ++first)
        if (v.types[*first] != Null && up.at(*first) == upperText)
            found.push_back(*first);
    std::sort(found.begin(), found.end());
    return found;
}
