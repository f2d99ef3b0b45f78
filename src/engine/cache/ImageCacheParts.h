#pragma once

#include <QtGlobal>
#include <compare>
#include <cstdint>
#include <utility>
#include <vector>

namespace ImageCacheFile {

enum class Kind : uint8_t { Rowids = 1, Values, Upper, Ranks, Coded, Order };

// What a part of a cache file belongs to: nothing (the row ids), one field, or the keys of a
// sort (field and whether descending).
struct PartKey {
    Kind kind = Kind::Rowids;
    std::vector<std::pair<int, bool>> keys;
    static PartKey ofField(Kind kind, int field) { return {kind, {{field, false}}}; }
    auto operator<=>(const PartKey&) const = default;
};

// Where a part's bytes stand in its file, and their checksum.
struct Part {
    qint64 offset = 0;
    qint64 length = 0;
    quint64 checksum = 0;
};

} // namespace ImageCacheFile
