#include "ImageValues.h"

#include "SqlFunctions.h"

#include <algorithm>
#include <cstring>
#include <sqlite3.h>

namespace {

// Numbers compare by value whatever their storage class, as SQLite compares them.
int compareNumbers(const ImageValues& v, uint32_t a, uint32_t b) {
    if (v.types[a] == ImageValues::Integer && v.types[b] == ImageValues::Integer)
        return v.bits[a] < v.bits[b] ? -1 : (v.bits[a] > v.bits[b] ? 1 : 0);
    const double x = v.number(a), y = v.number(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

int compareBlobs(QByteArrayView a, QByteArrayView b) {
    const int n = std::memcmp(a.data(), b.data(), size_t(std::min(a.size(), b.size())));
    if (n)
        return n < 0 ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

double ImageValues::number(uint32_t slot) const {
    if (types[slot] == Integer)
        return double(bits[slot]);
    double d;
    std::memcpy(&d, &bits[slot], sizeof d);
    return d;
}

uint8_t ImageValues::typeOf(int sqliteType) {
    return sqliteType == SQLITE_INTEGER ? Integer
           : sqliteType == SQLITE_FLOAT ? Real
           : sqliteType == SQLITE_BLOB  ? Blob
           : sqliteType == SQLITE_TEXT  ? Text
                                        : Null;
}

void ImageValues::store(uint32_t slot, sqlite3_stmt* st, int column) {
    while (types.size() < slot) {
        types.push_back(Null);
        texts.append("", 0);
    }
    const int type = sqlite3_column_type(st, column);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        if (bits.size() <= slot) {
            bits.reserve(std::max<size_t>(types.capacity(), slot + 1));
            bits.resize(slot + 1, 0);
        }
        if (type == SQLITE_INTEGER) {
            bits[slot] = sqlite3_column_int64(st, column);
        } else {
            const double d = sqlite3_column_double(st, column);
            std::memcpy(&bits[slot], &d, sizeof d);
        }
    }
    types.push_back(typeOf(type));
    if (type == SQLITE_NULL) {
        texts.append("", 0);
        return;
    }
    const auto* t = static_cast<const char*>(
        type == SQLITE_BLOB ? sqlite3_column_blob(st, column)
                            : static_cast<const void*>(sqlite3_column_text(st, column)));
    texts.append(t ? t : "", t ? size_t(sqlite3_column_bytes(st, column)) : 0);
}

int ImageValues::compare(const ImageValues& v, uint32_t a, uint32_t b) {
    const int ca = v.types[a] == Real ? Integer : v.types[a];
    const int cb = v.types[b] == Real ? Integer : v.types[b];
    if (ca != cb)
        return ca < cb ? -1 : 1;
    if (ca == Null)
        return 0;
    if (ca == Integer)
        return compareNumbers(v, a, b);
    if (ca == Blob)
        return compareBlobs(v.texts.at(a), v.texts.at(b));
    return SqlFunctions::collate(v.texts.at(a), v.texts.at(b));
}
