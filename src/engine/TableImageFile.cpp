// The image's parts as the cache file holds them: a tag, a number telling this file from any
// other, the row count and the row ids (only the first when they run without a gap), then each
// part with what it belongs to. Numbers are stored as the machine holds them; the tag tells a
// file of another layout. A later start reads the row ids and where each part stands, and a
// part only when it is first asked for.
#include "TableImage.h"

#include <QFile>
#include <QIODevice>
#include <QRandomGenerator>
#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

namespace {

constexpr char kTag[8] = {'V', 'N', 'T', 'I', 'M', 'G', '4', char(sizeof(void*))};

template <typename T> bool put(QIODevice& out, const T& value) {
    return out.write(reinterpret_cast<const char*>(&value), sizeof value) == sizeof value;
}

template <typename T> bool putVector(QIODevice& out, const std::vector<T>& v) {
    const qint64 bytes = qint64(v.size() * sizeof(T));
    return put(out, quint64(v.size())) &&
           (bytes == 0 || out.write(reinterpret_cast<const char*>(v.data()), bytes) == bytes);
}

bool putTexts(QIODevice& out, const TableImage::Texts& t) {
    const qint64 bytes = qint64(t.bytes.size());
    return putVector(out, t.ends) && put(out, quint64(bytes)) &&
           (bytes == 0 || out.write(t.bytes.data(), bytes) == bytes);
}

bool putValues(QIODevice& out, const TableImage::Values& v) {
    return putVector(out, v.types) && putTexts(out, v.texts) && putVector(out, v.bits);
}

// Reads a cache file straight into the vectors, refusing anything that runs past its end.
class Reader {
public:
    explicit Reader(QIODevice& in) : m_in(in) {}
    qint64 left() const { return m_in.size() - m_in.pos(); }
    template <typename T> bool get(T& value) {
        return m_in.read(reinterpret_cast<char*>(&value), sizeof value) == sizeof value;
    }
    template <typename T> bool getVector(std::vector<T>& v, quint64 expected) {
        quint64 count = 0;
        if (!get(count) || count != expected || count > quint64(left()) / sizeof(T))
            return false;
        v.resize(count);
        const qint64 bytes = qint64(count * sizeof(T));
        return bytes == 0 || m_in.read(reinterpret_cast<char*>(v.data()), bytes) == bytes;
    }
    // The count a vector announces, without taking it.
    bool peekCount(quint64& count) {
        return m_in.peek(reinterpret_cast<char*>(&count), sizeof count) == sizeof count;
    }
    bool getTexts(TableImage::Texts& t, quint64 rows) {
        quint64 bytes = 0;
        if (!getVector(t.ends, rows) || !get(bytes) || bytes > quint64(left()) ||
            (rows && t.ends.back() != bytes))
            return false;
        for (size_t i = 1; i < t.ends.size(); ++i)
            if (t.ends[i] < t.ends[i - 1])
                return false;
        t.bytes.resize(size_t(bytes));
        return bytes == 0 || m_in.read(t.bytes.data(), qint64(bytes)) == qint64(bytes);
    }
    // The values of `rows` slots: their types, texts and numbers.
    bool getValues(TableImage::Values& v, quint64 rows) {
        quint64 bitCount = 0;
        return getVector(v.types, rows) && getTexts(v.texts, rows) && peekCount(bitCount) &&
               (bitCount == 0 || bitCount == rows) && getVector(v.bits, bitCount) &&
               std::all_of(v.types.begin(), v.types.end(),
                           [](uint8_t t) { return t <= TableImage::Blob; });
    }
    bool skipValues(quint64 rows) {
        quint64 bitCount = 0;
        return skipVector<uint8_t>(qint64(rows)) && skipTexts(rows) && peekCount(bitCount) &&
               (bitCount == 0 || bitCount == rows) && skipVector<int64_t>(qint64(bitCount));
    }
    bool atEnd() const { return left() == 0; }
    qint64 pos() const { return m_in.pos(); }
    bool seek(qint64 to) { return to >= 0 && to <= m_in.size() && m_in.seek(to); }
    // Steps over a vector of `expected` elements (any count when `expected` is -1).
    template <typename T> bool skipVector(qint64 expected) {
        quint64 count = 0;
        if (!get(count) || (expected >= 0 && count != quint64(expected)) ||
            count > quint64(left()) / sizeof(T))
            return false;
        return seek(pos() + qint64(count * sizeof(T)));
    }
    bool skipTexts(quint64 rows) {
        quint64 bytes = 0;
        return skipVector<uint32_t>(qint64(rows)) && get(bytes) && bytes <= quint64(left()) &&
               seek(pos() + qint64(bytes));
    }

private:
    QIODevice& m_in;
};

} // namespace

TableImage::Snapshot TableImage::snapshot() const {
    Snapshot s;
    s.rowCount = m_rowCount;
    s.dense = m_dense;
    s.firstRowid = m_firstRowid;
    s.rowids = &m_rowids;
    for (const auto& [field, v] : m_values)
        s.values.emplace_back(field, v.get());
    for (const auto& [field, t] : m_upper)
        s.upper.emplace_back(field, t.get());
    for (const auto& [field, r] : m_ranks)
        s.ranks.emplace_back(field, &r);
    for (const auto& [field, c] : m_coded)
        s.coded.emplace_back(field, c.get());
    for (const auto& [spec, o] : m_orders)
        s.orders.emplace_back(&spec, &o);
    s.firstOfAll = m_firstOfAll;
    s.storedPath = m_stored.path;
    s.storedId = m_stored.id;
    for (const auto& [field, part] : m_stored.values)
        s.storedValues.push_back(part);
    for (const auto& [field, part] : m_stored.upper)
        s.storedUpper.push_back(part);
    for (const auto& [field, part] : m_stored.ranks)
        s.storedRanks.push_back(part);
    for (const auto& [field, part] : m_stored.coded)
        s.storedCoded.push_back(part);
    for (const auto& [spec, part] : m_stored.orders)
        s.storedOrders.push_back(part);
    m_newParts = false;
    return s;
}

namespace {

// The file the snapshot's stored parts come from, when it is still the one they were read
// from: a newer file of the same contents may have taken its place since.
std::unique_ptr<QFile> openStoredFile(const TableImage::Snapshot& parts) {
    if (parts.storedPath.isEmpty())
        return nullptr;
    auto in = std::make_unique<QFile>(parts.storedPath);
    char tag[sizeof kTag];
    quint64 id = 0;
    if (!in->open(QIODevice::ReadOnly) || in->read(tag, sizeof tag) != sizeof tag ||
        std::memcmp(tag, kTag, sizeof kTag) != 0 ||
        in->read(reinterpret_cast<char*>(&id), sizeof id) != sizeof id || id != parts.storedId)
        return nullptr;
    return in;
}

bool copyStored(QFile* from, const std::vector<TableImage::StoredPart>& stored, QIODevice& out) {
    // In pieces: a part may be a whole field of a million rows.
    constexpr qint64 kPiece = qint64(1) << 20;
    QByteArray piece(kPiece, Qt::Uninitialized);
    for (const TableImage::StoredPart& part : stored) {
        if (!from->seek(part.offset))
            return false;
        for (qint64 left = part.length; left > 0;) {
            const qint64 length = std::min(left, kPiece);
            if (from->read(piece.data(), length) != length ||
                out.write(piece.constData(), length) != length)
                return false;
            left -= length;
        }
    }
    return true;
}

} // namespace

bool TableImage::writeTo(const Snapshot& parts, QIODevice& out) {
    const std::unique_ptr<QFile> from = openStoredFile(parts);
    // The file the parts were to come from was replaced (by a write of this image begun
    // earlier, holding them): that one is kept rather than written again without them.
    if (!from && !parts.storedPath.isEmpty() &&
        (parts.storedValues.size() + parts.storedUpper.size() + parts.storedRanks.size() +
         parts.storedCoded.size() + parts.storedOrders.size()) != 0)
        return false;
    const auto stored = [&](const std::vector<StoredPart>& list) {
        return from ? list.size() : size_t(0);
    };
    const quint64 id = QRandomGenerator::global()->generate64();
    bool ok = out.write(kTag, sizeof kTag) == sizeof kTag && put(out, id) &&
              put(out, quint64(parts.rowCount)) && put(out, quint8(parts.dense)) &&
              put(out, qint64(parts.firstRowid)) && (parts.dense || putVector(out, *parts.rowids));
    ok = ok && put(out, quint32(parts.values.size() + stored(parts.storedValues)));
    for (const auto& [field, v] : parts.values)
        ok = ok && put(out, qint32(field)) && putValues(out, *v);
    ok = ok && (!from || copyStored(from.get(), parts.storedValues, out));
    ok = ok && put(out, quint32(parts.upper.size() + stored(parts.storedUpper)));
    for (const auto& [field, t] : parts.upper)
        ok = ok && put(out, qint32(field)) && putTexts(out, *t);
    ok = ok && (!from || copyStored(from.get(), parts.storedUpper, out));
    ok = ok && put(out, quint32(parts.ranks.size() + stored(parts.storedRanks)));
    for (const auto& [field, r] : parts.ranks)
        ok = ok && put(out, qint32(field)) && putVector(out, *r);
    ok = ok && (!from || copyStored(from.get(), parts.storedRanks, out));
    ok = ok && put(out, quint32(parts.coded.size() + stored(parts.storedCoded)));
    for (const auto& [field, c] : parts.coded)
        ok = ok && put(out, qint32(field)) && putVector(out, c->codes) &&
             put(out, quint64(c->distinct.types.size())) && putValues(out, c->distinct);
    ok = ok && (!from || copyStored(from.get(), parts.storedCoded, out));
    ok = ok && put(out, quint32(parts.orders.size() + stored(parts.storedOrders)));
    for (const auto& [spec, o] : parts.orders) {
        ok = ok && put(out, quint32(spec->size()));
        for (const auto& [field, desc] : *spec)
            ok = ok && put(out, qint32(field)) && put(out, quint8(desc));
        ok = ok && putVector(out, *o);
    }
    ok = ok && (!from || copyStored(from.get(), parts.storedOrders, out));
    ok = ok && put(out, quint32(parts.firstOfAll.size()));
    for (const auto& [spec, slot] : parts.firstOfAll) {
        ok = ok && put(out, quint32(spec.size()));
        for (const auto& [field, desc] : spec)
            ok = ok && put(out, qint32(field)) && put(out, quint8(desc));
        ok = ok && put(out, quint32(slot));
    }
    return ok;
}

void TableImage::addEarlierParts(Snapshot& parts, const QString& path) const {
    if (!parts.storedPath.isEmpty())
        return;
    TableImage earlier(nullptr, m_table, m_fields, m_rowIdName);
    if (!earlier.readFrom(path) || earlier.m_rowCount != parts.rowCount ||
        earlier.m_dense != parts.dense ||
        (parts.dense ? earlier.m_firstRowid != parts.firstRowid && parts.rowCount != 0
                     : earlier.m_rowids != *parts.rowids))
        return;
    const auto lacks = [](const auto& list, const auto& key) {
        return std::none_of(list.begin(), list.end(),
                            [&](const auto& entry) { return entry.first == key; });
    };
    for (const auto& [field, part] : earlier.m_stored.values)
        if (lacks(parts.values, field))
            parts.storedValues.push_back(part);
    for (const auto& [field, part] : earlier.m_stored.upper)
        if (lacks(parts.upper, field))
            parts.storedUpper.push_back(part);
    for (const auto& [field, part] : earlier.m_stored.ranks)
        if (lacks(parts.ranks, field))
            parts.storedRanks.push_back(part);
    for (const auto& [field, part] : earlier.m_stored.coded)
        if (lacks(parts.coded, field))
            parts.storedCoded.push_back(part);
    for (const auto& stored : earlier.m_stored.orders)
        if (std::none_of(parts.orders.begin(), parts.orders.end(),
                         [&](const auto& entry) { return *entry.first == stored.first; }))
            parts.storedOrders.push_back(stored.second);
    parts.firstOfAll.insert(earlier.m_firstOfAll.begin(), earlier.m_firstOfAll.end());
    parts.storedPath = path;
    parts.storedId = earlier.m_stored.id;
}

bool TableImage::readFrom(const QString& path) {
    auto file = std::make_shared<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return false;
    char tag[sizeof kTag];
    if (file->read(tag, sizeof tag) != sizeof tag || std::memcmp(tag, kTag, sizeof kTag) != 0)
        return false;
    Reader r(*file);
    Stored stored;
    quint64 rows = 0;
    quint8 dense = 0;
    qint64 first = 0;
    if (!r.get(stored.id) || !r.get(rows) || rows > 0xFFFFFFF0u || !r.get(dense) || dense > 1 ||
        !r.get(first) ||
        (dense && rows && first > std::numeric_limits<qint64>::max() - qint64(rows)))
        return false;
    std::vector<qint64> rowids;
    if (!dense) {
        if (!r.getVector(rowids, rows))
            return false;
        for (size_t i = 1; i < rowids.size(); ++i)
            if (rowids[i] <= rowids[i - 1])
                return false;
    }
    const auto validField = [&](qint32 f) { return f >= 0 && f < m_fields.size(); };
    // Only where each part stands is read now.
    quint32 count = 0;
    if (!r.get(count))
        return false;
    for (quint32 i = 0; i < count; ++i) {
        const qint64 at = r.pos();
        qint32 field = -1;
        if (!r.get(field) || !validField(field) || !r.skipValues(rows))
            return false;
        stored.values[field] = {at, r.pos() - at};
    }
    if (!r.get(count))
        return false;
    for (quint32 i = 0; i < count; ++i) {
        const qint64 at = r.pos();
        qint32 field = -1;
        if (!r.get(field) || !validField(field) || !r.skipTexts(rows))
            return false;
        stored.upper[field] = {at, r.pos() - at};
    }
    if (!r.get(count))
        return false;
    for (quint32 i = 0; i < count; ++i) {
        const qint64 at = r.pos();
        qint32 field = -1;
        if (!r.get(field) || !validField(field) || !r.skipVector<int32_t>(qint64(rows)))
            return false;
        stored.ranks[field] = {at, r.pos() - at};
    }
    if (!r.get(count))
        return false;
    for (quint32 i = 0; i < count; ++i) {
        const qint64 at = r.pos();
        qint32 field = -1;
        quint64 distinct = 0;
        if (!r.get(field) || !validField(field) || !r.skipVector<int32_t>(qint64(rows)) ||
            !r.get(distinct) || distinct > quint64(r.left()) || !r.skipValues(distinct))
            return false;
        stored.coded[field] = {at, r.pos() - at};
    }
    if (!r.get(count))
        return false;
    for (quint32 i = 0; i < count; ++i) {
        const qint64 at = r.pos();
        quint32 keys = 0;
        if (!r.get(keys) || keys > 16)
            return false;
        SortSpec spec;
        for (quint32 k = 0; k < keys; ++k) {
            qint32 field = -1;
            quint8 desc = 0;
            if (!r.get(field) || !validField(field) || !r.get(desc))
                return false;
            spec.emplace_back(field, desc != 0);
        }
        if (!r.skipVector<uint32_t>(qint64(rows)))
            return false;
        stored.orders[spec] = {at, r.pos() - at};
    }
    std::map<SortSpec, uint32_t> firstOfAll;
    if (!r.get(count))
        return false;
    for (quint32 i = 0; i < count; ++i) {
        quint32 keys = 0;
        if (!r.get(keys) || keys > 16)
            return false;
        SortSpec spec;
        for (quint32 k = 0; k < keys; ++k) {
            qint32 field = -1;
            quint8 desc = 0;
            if (!r.get(field) || !validField(field) || !r.get(desc))
                return false;
            spec.emplace_back(field, desc != 0);
        }
        quint32 slot = 0;
        if (!r.get(slot) || slot >= rows)
            return false;
        firstOfAll[spec] = slot;
    }
    if (!r.atEnd())
        return false;
    if (dense) {
        m_rowidsRead = true;
        m_rowCount = uint32_t(rows);
        m_dense = true;
        m_firstRowid = first;
        m_rowids.clear();
    } else {
        takeRowids(std::move(rowids));
    }
    stored.file = std::move(file);
    stored.path = path;
    m_stored = std::move(stored);
    m_firstOfAll = std::move(firstOfAll);
    m_newParts = false;
    return true;
}

namespace {

// Reads one stored part with `read`, which must take exactly the part's bytes. A part is tried
// once: whether it fits or not, it is forgotten, and one that does not fit is built anew.
template <typename Parts, typename Key, typename Read>
bool takeStoredPart(Parts& parts, const Key& key, const std::shared_ptr<QFile>& file, Read read) {
    const auto it = parts.find(key);
    if (it == parts.end())
        return false;
    const auto part = it->second;
    parts.erase(it);
    Reader r(*file);
    return r.seek(part.offset) && read(r) && r.pos() == part.offset + part.length;
}

// The field number a part of one field begins with.
bool takeField(Reader& r, int field) {
    qint32 stored = -1;
    return r.get(stored) && stored == field;
}

} // namespace

bool TableImage::takeStoredValues(int field) {
    auto v = std::make_unique<Values>();
    if (!takeStoredPart(m_stored.values, field, m_stored.file, [&](Reader& r) {
            return takeField(r, field) && r.getValues(*v, m_rowCount);
        }))
        return false;
    m_values.emplace(field, std::move(v));
    return true;
}

bool TableImage::takeStoredCoded(int field) {
    auto c = std::make_unique<Coded>();
    quint64 distinct = 0;
    if (!takeStoredPart(m_stored.coded, field, m_stored.file, [&](Reader& r) {
            return takeField(r, field) && r.getVector(c->codes, m_rowCount) && r.get(distinct) &&
                   distinct <= quint64(r.left()) && r.getValues(c->distinct, distinct);
        }))
        return false;
    for (int32_t code : c->codes)
        if (code < 0 || quint64(code) >= distinct)
            return false;
    m_coded.emplace(field, std::move(c));
    return true;
}

bool TableImage::takeStoredUpper(int field) {
    auto t = std::make_unique<Texts>();
    if (!takeStoredPart(m_stored.upper, field, m_stored.file, [&](Reader& r) {
            return takeField(r, field) && r.getTexts(*t, m_rowCount);
        }))
        return false;
    m_upper.emplace(field, std::move(t));
    return true;
}

bool TableImage::takeStoredRanks(int field) {
    std::vector<int32_t> rank;
    if (!takeStoredPart(m_stored.ranks, field, m_stored.file, [&](Reader& r) {
            return takeField(r, field) && r.getVector(rank, m_rowCount);
        }))
        return false;
    for (int32_t value : rank)
        if (value < 0 || uint32_t(value) >= m_rowCount)
            return false;
    m_ranks.emplace(field, std::move(rank));
    return true;
}

bool TableImage::takeStoredOrder(const SortSpec& spec) {
    std::vector<uint32_t> order;
    if (!takeStoredPart(m_stored.orders, spec, m_stored.file, [&](Reader& r) {
            quint32 keys = 0;
            if (!r.get(keys) || keys != spec.size())
                return false;
            for (const auto& [field, desc] : spec) {
                quint8 d = 0;
                if (!takeField(r, field) || !r.get(d) || (d != 0) != desc)
                    return false;
            }
            return r.getVector(order, m_rowCount);
        }))
        return false;
    for (uint32_t slot : order)
        if (slot >= m_rowCount)
            return false;
    m_orders.emplace(spec, std::move(order));
    return true;
}
