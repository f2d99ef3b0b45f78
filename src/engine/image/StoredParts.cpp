#include "StoredParts.h"

#include "ImageCacheFile.h"

#include <algorithm>
#include <type_traits>

using ImageCacheFile::Kind;
using ImageCacheFile::PartKey;
using ImageCacheFile::PartReader;

namespace {

// Whether every number of a part lies in [0, bound): a rank below the row count, a slot of an
// order, a code of a coded field.
template <typename T> bool allBelow(const std::vector<T>& numbers, quint64 bound) {
    return std::all_of(numbers.begin(), numbers.end(), [&](T n) {
        if constexpr (std::is_signed_v<T>)
            if (n < 0)
                return false;
        return quint64(n) < bound;
    });
}

} // namespace

void StoredParts::take(std::shared_ptr<const ImageCacheFile::Source> source,
                       std::map<PartKey, ImageCacheFile::Part> parts) {
    m_source = std::move(source);
    m_parts = std::move(parts);
}

std::vector<ImageCacheFile::Carried> StoredParts::carried() const {
    std::vector<ImageCacheFile::Carried> carried;
    for (const auto& [key, part] : m_parts)
        carried.push_back({key, part, m_source});
    return carried;
}

// Reads one part with `decode`, which must take exactly the part's bytes.
template <typename Decode> bool StoredParts::read(const PartKey& key, Decode decode) {
    const auto it = m_parts.find(key);
    if (it == m_parts.end())
        return false;
    const ImageCacheFile::Part part = it->second;
    m_parts.erase(it);
    return ImageCacheFile::readPart(*m_source, part, decode);
}

std::unique_ptr<ImageValues> StoredParts::values(int field, uint32_t rows) {
    auto v = std::make_unique<ImageValues>();
    if (!read(PartKey::ofField(Kind::Values, field),
              [&](PartReader& r) { return r.getValues(*v, rows); }))
        return nullptr;
    return v;
}

std::unique_ptr<ImageTexts> StoredParts::upper(int field, uint32_t rows) {
    auto t = std::make_unique<ImageTexts>();
    if (!read(PartKey::ofField(Kind::Upper, field),
              [&](PartReader& r) { return r.getTexts(*t, rows); }))
        return nullptr;
    return t;
}

std::optional<std::vector<int32_t>> StoredParts::ranks(int field, uint32_t rows) {
    std::vector<int32_t> ranks;
    if (!read(PartKey::ofField(Kind::Ranks, field),
              [&](PartReader& r) { return r.getVector(ranks, rows); }) ||
        !allBelow(ranks, rows))
        return std::nullopt;
    return ranks;
}

std::unique_ptr<CodedField> StoredParts::coded(int field, uint32_t rows) {
    auto c = std::make_unique<CodedField>();
    quint64 distinct = 0;
    if (!read(PartKey::ofField(Kind::Coded, field),
              [&](PartReader& r) {
                  return r.getVector(c->codes, rows) && r.get(distinct) &&
                         distinct <= quint64(r.left()) && r.getValues(c->distinct, distinct);
              }) ||
        !allBelow(c->codes, distinct))
        return nullptr;
    return c;
}

std::optional<std::vector<uint32_t>> StoredParts::order(const SortRanks::Spec& spec,
                                                        uint32_t rows) {
    std::vector<uint32_t> order;
    if (!read(PartKey{Kind::Order, spec},
              [&](PartReader& r) { return r.getVector(order, rows); }) ||
        !allBelow(order, rows))
        return std::nullopt;
    return order;
}
