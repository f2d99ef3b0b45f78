#include "UpperTexts.h"

#include "ImageRows.h"
#include "PreparedStatement.h"
#include "SqlFunctions.h"
#include "TableSource.h"

#include <QHash>
#include <algorithm>
#include <sqlite3.h>

namespace {

// Appends UPPER of a text as the engine computes it; ASCII, by far the most, without a copy.
void appendUpper(ImageTexts& up, QByteArrayView text) {
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

size_t hashOf(QByteArrayView text) {
    return qHash(text, 0);
}

} // namespace

namespace UpperTexts {

ImageTexts of(const ImageValues& v, uint32_t rows) {
    ImageTexts up;
    up.ends.reserve(rows);
    up.bytes.reserve(v.texts.bytes.size());
    for (uint32_t slot = 0; slot < rows; ++slot)
        appendUpper(up, v.texts.at(slot));
    return up;
}

ImageTexts read(const TableSource& source, const ImageRows& rows, int field) {
    ImageTexts up;
    up.ends.reserve(rows.count());
    const PreparedStatement s(source.db(),
                              QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY %1")
                                  .arg(source.rowIdName(), source.field(field), source.table()));
    if (!s)
        source.cannotRead();
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        const int64_t slot = rows.slotOf(sqlite3_column_int64(s, 0));
        if (slot < 0)
            continue;
        while (up.ends.size() < size_t(slot))
            up.append("", 0);
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
        appendUpper(up, text ? QByteArrayView(text, sqlite3_column_bytes(s, 1)) : QByteArrayView());
    }
    if (rc != SQLITE_DONE)
        source.cannotRead();
    while (up.ends.size() < rows.count())
        up.append("", 0);
    up.bytes.shrink_to_fit();
    return up;
}

std::vector<uint32_t> hashIndex(const ImageTexts& up, uint32_t rows) {
    std::vector<std::pair<size_t, uint32_t>> keyed(rows);
    for (uint32_t slot = 0; slot < rows; ++slot)
        keyed[slot] = {hashOf(up.at(slot)), slot};
    std::sort(keyed.begin(), keyed.end());
    std::vector<uint32_t> index(rows);
    for (uint32_t i = 0; i < rows; ++i)
        index[i] = keyed[i].second;
    return index;
}

std::vector<uint32_t> slotsWith(const std::vector<uint32_t>& index, const ImageTexts& up,
                                const ImageValues& v, QByteArrayView wanted) {
    const size_t hash = hashOf(wanted);
    auto first = std::lower_bound(index.begin(), index.end(), hash,
                                  [&](uint32_t slot, size_t h) { return hashOf(up.at(slot)) < h; });
    std::vector<uint32_t> found;
    for (; first != index.end() && hashOf(up.at(*first)) == hash; ++first)
        if (v.types[*first] != ImageValues::Null && up.at(*first) == wanted)
            found.push_back(*first);
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace UpperTexts
