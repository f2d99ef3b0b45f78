// The image's side of its cache file: what it hands to a write, and the parts it takes back
// when they are first asked for.
#include "TableImage.h"

#include "cache/ImageCacheFile.h"

using ImageCacheFile::Kind;
using ImageCacheFile::PartKey;
using ImageCacheFile::PartReader;
using ImageCacheFile::PartWriter;

ImageCacheFile::Snapshot TableImage::snapshot() const {
    ImageCacheFile::Snapshot s;
    s.rowCount = m_rowCount;
    s.dense = m_dense;
    s.firstRowid = m_firstRowid;
    s.rowids = &m_rowids;
    const auto add = [&](const PartKey& key, auto encode) { s.built.emplace_back(key, encode); };
    for (const auto& [field, v] : m_values)
        add(PartKey::ofField(Kind::Values, field),
            [v = v.get()](PartWriter& w) { return w.putValues(*v); });
    for (const auto& [field, t] : m_upper)
        add(PartKey::ofField(Kind::Upper, field),
            [t = t.get()](PartWriter& w) { return w.putTexts(*t); });
    for (const auto& [field, r] : m_ranks)
        add(PartKey::ofField(Kind::Ranks, field),
            [r = &r](PartWriter& w) { return w.putVector(*r); });
    for (const auto& [field, c] : m_coded)
        add(PartKey::ofField(Kind::Coded, field), [c = c.get()](PartWriter& w) {
            return w.putVector(c->codes) && w.put(quint64(c->distinct.types.size())) &&
                   w.putValues(c->distinct);
        });
    for (const auto& [spec, o] : m_orders)
        add(PartKey{Kind::Order, spec}, [o = &o](PartWriter& w) { return w.putVector(*o); });
    for (const auto& [key, part] : m_storedParts)
        s.carried.push_back({key, part, m_source});
    s.firstOfAll = m_firstOfAll;
    m_newParts = false;
    return s;
}

void TableImage::takeStored(ImageCacheFile::Contents contents) {
    if (contents.dense) {
        m_rowidsRead = true;
        m_rowCount = contents.rowCount;
        m_dense = true;
        m_firstRowid = contents.firstRowid;
        m_rowids.clear();
    } else {
        takeRowids(std::move(contents.rowids));
    }
    m_source = std::move(contents.source);
    m_storedParts = std::move(contents.parts);
    m_firstOfAll = std::move(contents.firstOfAll);
    m_newParts = false;
}

namespace {

// Reads one stored part with `decode`, which must take exactly the part's bytes. A part is
// tried once: whether it fits or not, it is forgotten, and one that does not fit is built anew.
template <typename Decode>
bool takePart(std::map<PartKey, ImageCacheFile::Part>& parts, const PartKey& key,
              const std::shared_ptr<const ImageCacheFile::Source>& source, Decode decode) {
    const auto it = parts.find(key);
    if (it == parts.end())
        return false;
    const ImageCacheFile::Part part = it->second;
    parts.erase(it);
    return ImageCacheFile::readPart(*source, part, decode);
}

} // namespace

bool TableImage::takeStoredValues(int field) {
    auto v = std::make_unique<Values>();
    if (!takePart(m_storedParts, PartKey::ofField(Kind::Values, field), m_source,
                  [&](PartReader& r) { return r.getValues(*v, m_rowCount); }))
        return false;
    m_values.emplace(field, std::move(v));
    return true;
}

bool TableImage::takeStoredCoded(int field) {
    auto c = std::make_unique<Coded>();
    quint64 distinct = 0;
    if (!takePart(m_storedParts, PartKey::ofField(Kind::Coded, field), m_source,
                  [&](PartReader& r) {
                      return r.getVector(c->codes, m_rowCount) && r.get(distinct) &&
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
    if (!takePart(m_storedParts, PartKey::ofField(Kind::Upper, field), m_source,
                  [&](PartReader& r) { return r.getTexts(*t, m_rowCount); }))
        return false;
    m_upper.emplace(field, std::move(t));
    return true;
}

bool TableImage::takeStoredRanks(int field) {
    std::vector<int32_t> rank;
    if (!takePart(m_storedParts, PartKey::ofField(Kind::Ranks, field), m_source,
                  [&](PartReader& r) { return r.getVector(rank, m_rowCount); }))
        return false;
    for (int32_t value : rank)
        if (value < 0 || uint32_t(value) >= m_rowCount)
            return false;
    m_ranks.emplace(field, std::move(rank));
    return true;
}

bool TableImage::takeStoredOrder(const SortSpec& spec) {
    std::vector<uint32_t> order;
    if (!takePart(m_storedParts, PartKey{Kind::Order, spec}, m_source,
                  [&](PartReader& r) { return r.getVector(order, m_rowCount); }))
        return false;
    for (uint32_t slot : order)
        if (slot >= m_rowCount)
            return false;
    m_orders.emplace(spec, std::move(order));
    return true;
}
