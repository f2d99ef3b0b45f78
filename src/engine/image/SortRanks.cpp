#include "SortRanks.h"

#include "ImageRows.h"
#include "PreparedStatement.h"
#include "SqlFunctions.h"
#include "TableSource.h"

#include <QHash>
#include <algorithm>
#include <numeric>
#include <sqlite3.h>
#include <unordered_map>

namespace SortRanks {

std::vector<int32_t> of(const ImageValues& v) {
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
            if (type == ImageValues::Null) {
                if (hasNull) {
                    index = nullIndex;
                    fresh = false;
                }
                hasNull = true;
                nullIndex = index;
            } else if (type == ImageValues::Integer || type == ImageValues::Real) {
                auto [it, added] = numbers[type == ImageValues::Real].emplace(v.bits[slot], index);
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
                        if (v.types[first] == ImageValues::Text ||
                            v.types[first] == ImageValues::Blob)
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
        if (v.types[firstOf[d]] == ImageValues::Text)
            prefix[d] = SqlFunctions::primaryPrefix(v.texts.at(firstOf[d]));
    auto compare = [&](uint32_t da, uint32_t db) {
        const uint32_t a = firstOf[da], b = firstOf[db];
        if (v.types[a] == ImageValues::Text && v.types[b] == ImageValues::Text &&
            prefix[da] != prefix[db])
            return prefix[da] < prefix[db] ? -1 : 1;
        return ImageValues::compare(v, a, b);
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

std::vector<uint32_t> order(const Spec& spec, uint32_t n,
                            const std::function<const std::vector<int32_t>&(int)>& ranksOf) {
    std::vector<uint32_t> sorted(n);
    std::iota(sorted.begin(), sorted.end(), 0u);
    // Stable counting sorts from the last key to the first over dense ranks; sorted start in
    // slot order, which settles equal keys.
    std::vector<uint32_t> next(n);
    for (auto key = spec.rbegin(); key != spec.rend(); ++key) {
        const std::vector<int32_t>& r = ranksOf(key->first);
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
    return sorted;
}

std::vector<uint32_t> readHead(const TableSource& source, const ImageRows& rows, const Spec& spec,
                               uint32_t count) {
    QString sql =
        QStringLiteral("SELECT %1 FROM %2 ORDER BY ").arg(source.rowIdName(), source.table());
    for (const auto& [field, desc] : spec) {
        source.checkField(field);
        sql += source.field(field) + QStringLiteral(" COLLATE ") +
               QLatin1String(SqlFunctions::kCollation) +
               (desc ? QStringLiteral(" DESC, ") : QStringLiteral(", "));
    }
    sql += source.rowIdName() + QStringLiteral(" LIMIT ") + QString::number(count);
    const PreparedStatement s(source.db(), sql);
    if (!s)
        source.cannotRead();
    std::vector<uint32_t> head;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
        if (const int64_t slot = rows.slotOf(sqlite3_column_int64(s, 0)); slot >= 0)
            head.push_back(uint32_t(slot));
    if (rc != SQLITE_DONE)
        source.cannotRead();
    return head;
}

} // namespace SortRanks
