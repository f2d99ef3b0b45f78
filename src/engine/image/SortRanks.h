#pragma once

#include "ImageValues.h"

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class ImageRows;
class TableSource;

// The sorts of an image: each field's ranks, and the order of the slots by several fields.
namespace SortRanks {

// Keys of a sort: field index and whether descending.
using Spec = std::vector<std::pair<int, bool>>;

// Equal values share a rank; ranks follow ORDER BY with the engine's collation.
std::vector<int32_t> of(const ImageValues& values);

// Every slot in the order of the sort, equal keys by ascending slot, from each key field's
// ranks as `ranksOf(field)` gives them.
std::vector<uint32_t> order(const Spec& spec, uint32_t rows,
                            const std::function<const std::vector<int32_t>&(int)>& ranksOf);

// The first marked slot by `compare(key, a, b)` (-1, 0 or 1) over the keys of the sort. Slots
// ascend, so a later slot with equal keys never replaces the one found first.
template <typename Compare>
int64_t firstMarkedBy(const Spec& spec, const std::vector<uint8_t>& marked, Compare compare) {
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

// The first `count` slots of the sort over every row as SQLite's own sort with the engine's
// collation gives them, equal keys by ascending row id, without any values in memory. A row
// added since the row ids were read is left out.
std::vector<uint32_t> readHead(const TableSource& source, const ImageRows& rows, const Spec& spec,
                               uint32_t count);

} // namespace SortRanks
