// The image's side of its cache file: what it hands to a write, and what it takes on from a
// file read; the parts themselves are taken back through StoredParts when first asked for.
#include "TableImage.h"

#include "ImageCacheFile.h"

using ImageCacheFile::Kind;
using ImageCacheFile::PartKey;
using ImageCacheFile::PartWriter;

ImageCacheFile::Snapshot TableImage::snapshot() const {
    ImageCacheFile::Snapshot s;
    s.rowCount = m_rows.count();
    s.dense = m_rows.isDense();
    s.firstRowid = m_rows.firstRowid();
    s.rowids = &m_rows.rowids();
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
    s.carried = m_stored.carried();
    s.firstOfAll = m_firstOfAll;
    m_newParts = false;
    return s;
}

void TableImage::takeStored(ImageCacheFile::Contents contents) {
    if (contents.dense)
        m_rows.takeDense(contents.rowCount, contents.firstRowid);
    else
        m_rows.take(std::move(contents.rowids));
    m_stored.take(std::move(contents.source), std::move(contents.parts));
    m_firstOfAll = std::move(contents.firstOfAll);
    m_newParts = false;
}
