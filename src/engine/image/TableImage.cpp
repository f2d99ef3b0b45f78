#include "TableImage.h"

#include "ImageColumns.h"
#include "UpperTexts.h"

#include <algorithm>

namespace {

// Each field once, those the image has already left out.
template <typename Has> std::vector<int> fieldsLacking(std::vector<int> fields, Has has) {
    std::sort(fields.begin(), fields.end());
    fields.erase(std::unique(fields.begin(), fields.end()), fields.end());
    fields.erase(std::remove_if(fields.begin(), fields.end(), has), fields.end());
    return fields;
}

} // namespace

TableImage::TableImage(sqlite3* db, const QString& table, const QStringList& fields,
                       const QString& rowIdName)
    : m_source(db, table, fields, rowIdName) {}

void TableImage::load(std::vector<int> fields) {
    // Fields the cache file holds are read from it when first asked for.
    fields = fieldsLacking(std::move(fields), [&](int f) { return holds(f); });
    for (int f : fields)
        m_source.checkField(f);
    const bool readsRowids = !m_rows.isRead();
    if (!readsRowids && fields.empty())
        return;
    if (readsRowids && fields.empty() && m_rows.readDense(m_source)) {
        m_newParts = true;
        return;
    }
    ImageColumns::Read read = ImageColumns::read(m_source, m_rows, fields);
    if (readsRowids)
        m_rows.take(std::move(read.rowids));
    m_newParts = true;
    for (size_t k = 0; k < fields.size(); ++k)
        m_values.emplace(fields[k], std::move(read.values[k]));
}

const TableImage::Values& TableImage::values(int field) {
    if (m_values.count(field) == 0)
        if (auto stored = m_stored.values(field, rowCount()))
            m_values.emplace(field, std::move(stored));
        else
            load({field});
    return *m_values.at(field);
}

void TableImage::readDistinct(
    const std::vector<int>& fields,
    const std::function<void(size_t, Values&, std::vector<int32_t>&)>& take) {
    for (int f : fields)
        m_source.checkField(f);
    readRowidsFirst();
    CodedFields::read(m_source, m_rows, fields,
                      [&](size_t k, Values& distinct, std::vector<int32_t>& codes) {
                          take(k, distinct, codes);
                          m_newParts = true;
                      });
}

void TableImage::loadCoded(std::vector<int> fields) {
    fields = fieldsLacking(std::move(fields), [&](int f) { return hasCoded(f); });
    if (fields.empty())
        return;
    readDistinct(fields, [&](size_t k, Values& distinct, std::vector<int32_t>& codes) {
        auto c = std::make_unique<Coded>();
        c->codes = std::move(codes);
        c->distinct = std::move(distinct);
        m_coded.emplace(fields[k], std::move(c));
    });
}

const TableImage::Coded& TableImage::coded(int field) {
    if (m_coded.count(field) == 0)
        if (auto stored = m_stored.coded(field, rowCount()))
            m_coded.emplace(field, std::move(stored));
        else
            loadCoded({field});
    return *m_coded.at(field);
}

const TableImage::Texts& TableImage::upperTexts(int field) {
    if (auto it = m_upper.find(field); it != m_upper.end())
        return *it->second;
    auto up = m_stored.upper(field, rowCount());
    if (!up) {
        if (holds(field)) {
            up = std::make_unique<Texts>(UpperTexts::of(values(field), rowCount()));
        } else {
            m_source.checkField(field);
            readRowidsFirst();
            up = std::make_unique<Texts>(UpperTexts::read(m_source, m_rows, field));
        }
        m_newParts = true;
    }
    return *m_upper.emplace(field, std::move(up)).first->second;
}

void TableImage::unmarkNulls(int field, std::vector<uint8_t>& marked) {
    // Looked up one by one, a few thousand slots take a few milliseconds.
    constexpr size_t kFewSlots = 2048;
    if (m_values.count(field) == 0) {
        const Texts& up = upperTexts(field);
        std::vector<uint32_t> empty;
        for (uint32_t slot = 0; slot < rowCount() && empty.size() <= kFewSlots; ++slot)
            if (marked[slot] && up.at(slot).isEmpty())
                empty.push_back(slot);
        if (empty.size() <= kFewSlots) {
            if (!empty.empty())
                ImageColumns::unmarkNullsAmong(m_source, m_rows, field, empty, marked);
            return;
        }
    }
    const std::vector<uint8_t>& types = values(field).types;
    for (uint32_t slot = 0; slot < rowCount(); ++slot)
        if (types[slot] == Null)
            marked[slot] = 0;
}

void TableImage::loadRanks(std::vector<int> fields) {
    fields = fieldsLacking(std::move(fields), [&](int f) { return hasRanks(f); });
    if (fields.empty())
        return;
    readDistinct(fields, [&](size_t k, Values& distinct, std::vector<int32_t>& codes) {
        const std::vector<int32_t> rankOfDistinct = SortRanks::of(distinct);
        // In place: a second list of a million ranks would be held beside it.
        for (int32_t& entry : codes)
            entry = rankOfDistinct[size_t(entry)];
        m_ranks.emplace(fields[k], std::move(codes));
    });
}

const std::vector<int32_t>& TableImage::ranks(int field) {
    if (auto it = m_ranks.find(field); it != m_ranks.end())
        return it->second;
    if (auto stored = m_stored.ranks(field, rowCount()))
        return m_ranks.emplace(field, std::move(*stored)).first->second;
    // Values held already are sorted as they are; others need not be held for it.
    if (!holds(field)) {
        loadRanks({field});
        return m_ranks.at(field);
    }
    const Values& v = values(field);
    m_newParts = true;
    return m_ranks.emplace(field, SortRanks::of(v)).first->second;
}

void TableImage::prepareRanks(const std::vector<int>& fields) {
    std::vector<int> unread;
    for (int f : fields) {
        if (m_ranks.count(f))
            continue;
        if (auto stored = m_stored.ranks(f, rowCount()))
            m_ranks.emplace(f, std::move(*stored));
        else if (!holds(f))
            unread.push_back(f);
    }
    // One pass over the file for all of them.
    loadRanks(unread);
}

const std::vector<uint32_t>& TableImage::order(const SortSpec& spec) {
    if (auto it = m_orders.find(spec); it != m_orders.end())
        return it->second;
    if (auto stored = m_stored.order(spec, rowCount()))
        return m_orders.emplace(spec, std::move(*stored)).first->second;
    std::vector<int> keys;
    for (const auto& [field, desc] : spec)
        keys.push_back(field);
    prepareRanks(keys);
    std::vector<uint32_t> sorted = SortRanks::order(
        spec, rowCount(), [&](int field) -> const std::vector<int32_t>& { return ranks(field); });
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

int64_t TableImage::firstByRanks(const SortSpec& spec, const std::vector<uint8_t>& marked) {
    std::vector<const std::vector<int32_t>*> keys;
    for (const auto& [field, desc] : spec)
        keys.push_back(&ranks(field));
    return SortRanks::firstMarkedBy(spec, marked, [&](size_t k, uint32_t a, uint32_t b) {
        const int32_t x = (*keys[k])[a], y = (*keys[k])[b];
        return x < y ? -1 : (x > y ? 1 : 0);
    });
}

int64_t TableImage::firstMarked(const SortSpec& spec, const std::vector<uint8_t>& marked) {
    std::vector<const Values*> keys;
    for (const auto& [field, desc] : spec)
        keys.push_back(&values(field));
    return SortRanks::firstMarkedBy(spec, marked, [&](size_t k, uint32_t a, uint32_t b) {
        const Values& v = *keys[k];
        // Equal bytes of one type are equal values; most slots of a latest-issue look-up end
        // here without the collation.
        if (v.types[a] == v.types[b] && v.texts.at(a) == v.texts.at(b) &&
            (v.bits.empty() || v.bits[a] == v.bits[b]))
            return 0;
        return ImageValues::compare(v, a, b);
    });
}

std::vector<uint32_t> TableImage::headOfAll(const SortSpec& spec, uint32_t count) {
    readRowidsFirst();
    if (hasHead(spec, count)) {
        const std::vector<uint32_t>& read = m_heads.at(spec).second;
        return {read.begin(), read.begin() + std::min<size_t>(count, read.size())};
    }
    std::vector<uint32_t> head = SortRanks::readHead(m_source, m_rows, spec, count);
    if (!head.empty() && m_firstOfAll.emplace(spec, head.front()).second)
        m_newParts = true;
    m_heads[spec] = {count, head};
    return head;
}

void TableImage::takeHead(const SortSpec& spec, std::vector<uint32_t> head, uint32_t count) {
    if (hasHead(spec, count))
        return;
    if (!head.empty() && m_firstOfAll.emplace(spec, head.front()).second)
        m_newParts = true;
    m_heads[spec] = {count, std::move(head)};
}

bool TableImage::adopt(TableImage& built) {
    if (!built.m_rows.sameAs(m_rows))
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
    auto it = m_upperIndex.find(field);
    if (it == m_upperIndex.end())
        it = m_upperIndex.emplace(field, UpperTexts::hashIndex(up, rowCount())).first;
    return UpperTexts::slotsWith(it->second, up, v, upperText);
}
