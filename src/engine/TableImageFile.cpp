// The image's parts as the cache file holds them: a tag, the row count and row ids, then
// each part with what it belongs to. Numbers are stored as the machine holds them; the tag
// tells a file of another layout.
#include "TableImage.h"

#include <QIODevice>
#include <cstring>

namespace {

constexpr char kTag[8] = {'V', 'N', 'T', 'I', 'M', 'G', '1', char(sizeof(void*))};

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
    bool atEnd() const { return left() == 0; }

private:
    QIODevice& m_in;
};

} // namespace

TableImage::Snapshot TableImage::snapshot() const {
    Snapshot s;
    s.rowids = &m_rowids;
    for (const auto& [field, v] : m_values)
        s.values.emplace_back(field, v.get());
    for (const auto& [field, t] : m_upper)
        s.upper.emplace_back(field, t.get());
    for (const auto& [field, r] : m_ranks)
        s.ranks.emplace_back(field, &r);
    for (const auto& [spec, o] : m_orders)
        s.orders.emplace_back(&spec, &o);
    m_newParts = false;
    return s;
}

bool TableImage::writeTo(const Snapshot& parts, QIODevice& out) {
    bool ok = out.write(kTag, sizeof kTag) == sizeof kTag && putVector(out, *parts.rowids);
    ok = ok && put(out, quint32(parts.values.size()));
    for (const auto& [field, v] : parts.values)
        ok = ok && put(out, qint32(field)) && putVector(out, v->types) && putTexts(out, v->texts) &&
             putVector(out, v->bits);
    ok = ok && put(out, quint32(parts.upper.size()));
    for (const auto& [field, t] : parts.upper)
        ok = ok && put(out, qint32(field)) && putTexts(out, *t);
    ok = ok && put(out, quint32(parts.ranks.size()));
    for (const auto& [field, r] : parts.ranks)
        ok = ok && put(out, qint32(field)) && putVector(out, *r);
    ok = ok && put(out, quint32(parts.orders.size()));
    for (const auto& [spec, o] : parts.orders) {
        ok = ok && put(out, quint32(spec->size()));
        for (const auto& [field, desc] : *spec)
            ok = ok && put(out, qint32(field)) && put(out, quint8(desc));
        ok = ok && putVector(out, *o);
    }
    return ok;
}

bool TableImage::readFrom(QIODevice& in) {
    char tag[sizeof kTag];
    if (in.read(tag, sizeof tag) != sizeof tag || std::memcmp(tag, kTag, sizeof kTag) != 0)
        return false;
    Reader r(in);
    std::vector<qint64> rowids;
    quint64 rows = 0;
    if (!r.peekCount(rows) || rows > 0xFFFFFFF0u)
        return false;
    if (!r.getVector(rowids, rows))
        return false;
    const auto validField = [&](qint32 f) { return f >= 0 && f < m_fields.size(); };
    std::map<int, std::unique_ptr<Values>> values;
    std::map<int, std::unique_ptr<Texts>> upper;
    std::map<int, std::vector<int32_t>> ranks;
    std::map<SortSpec, std::vector<uint32_t>> orders;
    quint32 count = 0;
    if (!r.get(count))
        return false;
    for (quint32 i = 0; i < count; ++i) {
        qint32 field = -1;
        auto v = std::make_unique<Values>();
        if (!r.get(field) || !validField(field) || !r.getVector(v->types, rows) ||
            !r.getTexts(v->texts, rows))
            return false;
        quint64 bitCount = 0;
        if (!r.peekCount(bitCount) || (bitCount != 0 && bitCount != rows) ||
            !r.getVector(v->bits, bitCount))
            return false;
        for (uint8_t type : v->types)
            if (type > Blob)
                return false;
        values.emplace(field, std::move(v));
    }
    if (!r.get(count))
        return false;
    for (quint32 i = 0; i < count; ++i) {
        qint32 field = -1;
        auto t = std::make_unique<Texts>();
        if (!r.get(field) || !validField(field) || !r.getTexts(*t, rows))
            return false;
        upper.emplace(field, std::move(t));
    }
    if (!r.get(count))
        return false;
    for (quint32 i = 0; i < count; ++i) {
        qint32 field = -1;
        std::vector<int32_t> rank;
        if (!r.get(field) || !validField(field) || !r.getVector(rank, rows))
            return false;
        for (int32_t value : rank)
            if (value < 0 || quint64(value) >= rows)
                return false;
        ranks.emplace(field, std::move(rank));
    }
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
        std::vector<uint32_t> order;
        if (!r.getVector(order, rows))
            return false;
        for (uint32_t slot : order)
            if (slot >= rows)
                return false;
        orders.emplace(std::move(spec), std::move(order));
    }
    if (!r.atEnd())
        return false;
    takeRowids(std::move(rowids));
    m_values = std::move(values);
    m_upper = std::move(upper);
    m_ranks = std::move(ranks);
    m_orders = std::move(orders);
    m_newParts = false;
    return true;
}
