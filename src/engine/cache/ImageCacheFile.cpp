#include "ImageCacheFile.h"

#include <QIODevice>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <unistd.h>

namespace ImageCacheFile {

namespace {

constexpr char kTag[8] = {'V', 'N', 'T', 'I', 'M', 'G', '5', char(sizeof(void*))};
constexpr char kEndTag[8] = {'V', 'N', 'T', 'I', 'M', 'G', 'E', 'N'};
// Where the directory stands, its length and checksum, and the end tag.
constexpr qint64 kTrailer = 8 + 8 + 8 + sizeof kEndTag;
constexpr quint32 kMostKeys = 16;

quint64 checksumOf(XXH3_state_t* state) {
    return XXH3_64bits_digest(state);
}

bool putKeys(PartWriter& w, const SortRanks::Spec& keys) {
    bool ok = w.put(quint32(keys.size()));
    for (const auto& [field, desc] : keys)
        ok = ok && w.put(qint32(field)) && w.put(quint8(desc));
    return ok;
}

// The keys of a part or a sort: `least` to `most` of them, each a field of the table.
bool getKeys(PartReader& r, SortRanks::Spec& keys, quint32 least, quint32 most, int fieldCount) {
    quint32 count = 0;
    if (!r.get(count) || count < least || count > most)
        return false;
    for (quint32 k = 0; k < count; ++k) {
        qint32 field = -1;
        quint8 desc = 0;
        if (!r.get(field) || field < 0 || field >= fieldCount || !r.get(desc) || desc > 1)
            return false;
        keys.emplace_back(field, desc != 0);
    }
    return true;
}

bool validKey(const PartKey& key) {
    switch (key.kind) {
    case Kind::Rowids:
        return key.keys.empty();
    case Kind::Values:
    case Kind::Upper:
    case Kind::Ranks:
    case Kind::Coded:
        return key.keys.size() == 1 && !key.keys.front().second;
    case Kind::Order:
        return !key.keys.empty();
    }
    return false;
}

} // namespace

Source::~Source() {
    ::close(m_fd);
}

bool Source::readAt(qint64 offset, void* into, qint64 length) const {
    auto* to = static_cast<char*>(into);
    while (length > 0) {
        const ssize_t got = ::pread(m_fd, to, size_t(length), off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        to += got;
        offset += got;
        length -= got;
    }
    return true;
}

PartReader::PartReader(const Source& source, const Part& part)
    : m_source(source), m_at(part.offset), m_end(part.offset + part.length),
      m_checksum(part.checksum), m_state(XXH3_createState()) {
    XXH3_64bits_reset(m_state);
}

PartReader::~PartReader() {
    XXH3_freeState(m_state);
}

bool PartReader::getBytes(void* into, qint64 length) {
    if (length < 0 || length > left() || !m_source.readAt(m_at, into, length))
        return false;
    XXH3_64bits_update(m_state, into, size_t(length));
    m_at += length;
    return true;
}

bool PartReader::getTexts(ImageTexts& t, quint64 rows) {
    quint64 bytes = 0;
    if (!getVector(t.ends, rows) || !get(bytes) || bytes > quint64(left()) ||
        (rows ? t.ends.back() != bytes : bytes != 0))
        return false;
    for (size_t i = 1; i < t.ends.size(); ++i)
        if (t.ends[i] < t.ends[i - 1])
            return false;
    t.bytes.resize(size_t(bytes));
    return getBytes(t.bytes.data(), qint64(bytes));
}

bool PartReader::getValues(ImageValues& v, quint64 rows) {
    quint64 bitCount = 0;
    if (!getVector(v.types, rows) || !getTexts(v.texts, rows) || !get(bitCount) ||
        (bitCount != 0 && bitCount != rows) || bitCount > quint64(left()) / sizeof(int64_t))
        return false;
    v.bits.resize(bitCount);
    return getBytes(v.bits.data(), qint64(bitCount * sizeof(int64_t))) &&
           std::all_of(v.types.begin(), v.types.end(), [&](uint8_t t) {
               // A number needs its bits.
               return t <= ImageValues::Blob &&
                      (bitCount != 0 || (t != ImageValues::Integer && t != ImageValues::Real));
           });
}

bool PartReader::complete() const {
    return m_at == m_end && checksumOf(m_state) == m_checksum;
}

PartWriter::PartWriter(QIODevice& out) : m_out(out), m_state(XXH3_createState()) {
    XXH3_64bits_reset(m_state);
}

PartWriter::~PartWriter() {
    XXH3_freeState(m_state);
}

bool PartWriter::write(const void* bytes, qint64 length) {
    if (length == 0)
        return true;
    if (m_out.write(static_cast<const char*>(bytes), length) != length)
        return false;
    XXH3_64bits_update(m_state, bytes, size_t(length));
    m_length += length;
    return true;
}

bool PartWriter::putTexts(const ImageTexts& t) {
    return putVector(t.ends) && put(quint64(t.bytes.size())) &&
           write(t.bytes.data(), qint64(t.bytes.size()));
}

bool PartWriter::putValues(const ImageValues& v) {
    return putVector(v.types) && putTexts(v.texts) && putVector(v.bits);
}

quint64 PartWriter::checksum() const {
    return checksumOf(m_state);
}

bool readPart(const Source& source, const Part& part,
              const std::function<bool(PartReader&)>& decode) {
    PartReader r(source, part);
    return decode(r) && r.complete();
}

std::optional<Contents> read(int fd, const QByteArray& key, int fieldCount) {
    Contents c;
    c.source = std::make_shared<Source>(fd);
    const qint64 size = ::lseek(fd, 0, SEEK_END);
    char tag[sizeof kTag], endTag[sizeof kEndTag];
    Part directory;
    if (size < qint64(sizeof kTag) + kTrailer || !c.source->readAt(0, tag, sizeof tag) ||
        std::memcmp(tag, kTag, sizeof kTag) != 0 ||
        !c.source->readAt(size - kTrailer, &directory.offset, 8) ||
        !c.source->readAt(size - kTrailer + 8, &directory.length, 8) ||
        !c.source->readAt(size - kTrailer + 16, &directory.checksum, 8) ||
        !c.source->readAt(size - kTrailer + 24, endTag, sizeof endTag) ||
        std::memcmp(endTag, kEndTag, sizeof kEndTag) != 0 ||
        directory.offset < qint64(sizeof kTag) || directory.length < 0 ||
        directory.length != size - kTrailer - directory.offset)
        return std::nullopt;

    PartReader r(*c.source, directory);
    quint32 keyLength = 0, partCount = 0, firstCount = 0;
    quint64 rows = 0;
    quint8 dense = 0;
    QByteArray stored(key.size(), Qt::Uninitialized);
    if (key.isEmpty() || !r.get(keyLength) || keyLength != quint32(key.size()) ||
        !r.getBytes(stored.data(), stored.size()) || stored != key || !r.get(rows) ||
        rows > 0xFFFFFFF0u || !r.get(dense) || dense > 1 || !r.get(c.firstRowid) ||
        (dense && rows && c.firstRowid > std::numeric_limits<qint64>::max() - qint64(rows)) ||
        !r.get(partCount))
        return std::nullopt;
    c.rowCount = uint32_t(rows);
    c.dense = dense != 0;
    for (quint32 i = 0; i < partCount; ++i) {
        quint8 kind = 0;
        PartKey partKey;
        Part part;
        if (!r.get(kind) || kind < quint8(Kind::Rowids) || kind > quint8(Kind::Order) ||
            !getKeys(r, partKey.keys, 0, kMostKeys, fieldCount))
            return std::nullopt;
        partKey.kind = Kind(kind);
        if (!validKey(partKey) || !r.get(part.offset) || !r.get(part.length) ||
            !r.get(part.checksum) || part.offset < qint64(sizeof kTag) ||
            part.offset > directory.offset || part.length < 0 ||
            part.length > directory.offset - part.offset ||
            !c.parts.emplace(std::move(partKey), part).second)
            return std::nullopt;
    }
    if (!r.get(firstCount))
        return std::nullopt;
    for (quint32 i = 0; i < firstCount; ++i) {
        SortRanks::Spec spec;
        quint32 slot = 0;
        if (!getKeys(r, spec, 1, kMostKeys, fieldCount) || !r.get(slot) || slot >= rows ||
            !c.firstOfAll.emplace(std::move(spec), slot).second)
            return std::nullopt;
    }
    if (!r.complete())
        return std::nullopt;

    const auto rowidPart = c.parts.find(PartKey{Kind::Rowids, {}});
    if (c.dense != (rowidPart == c.parts.end()))
        return std::nullopt;
    if (!c.dense) {
        if (!readPart(*c.source, rowidPart->second,
                      [&](PartReader& p) { return p.getVector(c.rowids, rows); }) ||
            std::adjacent_find(c.rowids.begin(), c.rowids.end(), std::greater_equal<qint64>()) !=
                c.rowids.end())
            return std::nullopt;
        c.parts.erase(rowidPart);
    }
    return c;
}

bool Snapshot::addEarlier(const Contents& earlier) {
    const bool sameRows =
        earlier.rowCount == rowCount && earlier.dense == dense &&
        (dense ? earlier.firstRowid == firstRowid || rowCount == 0 : earlier.rowids == *rowids);
    if (!sameRows)
        return false;
    const auto lacks = [&](const PartKey& key) {
        return std::none_of(built.begin(), built.end(),
                            [&](const auto& b) { return b.first == key; }) &&
               std::none_of(carried.begin(), carried.end(),
                            [&](const Carried& c) { return c.key == key; });
    };
    for (const auto& [key, part] : earlier.parts)
        if (lacks(key))
            carried.push_back({key, part, earlier.source});
    firstOfAll.insert(earlier.firstOfAll.begin(), earlier.firstOfAll.end());
    return true;
}

namespace {

// Copies a part as it stands; false when its bytes no longer match their checksum.
bool copyPart(const Carried& from, PartWriter& w) {
    // In pieces: a part may be a whole field of a million rows.
    constexpr qint64 kPiece = qint64(1) << 20;
    std::vector<char> piece(size_t(std::min(kPiece, std::max<qint64>(from.part.length, 1))));
    for (qint64 done = 0; done < from.part.length;) {
        const qint64 length = std::min(from.part.length - done, qint64(piece.size()));
        if (!from.source->readAt(from.part.offset + done, piece.data(), length) ||
            !w.write(piece.data(), length))
            return false;
        done += length;
    }
    return w.checksum() == from.part.checksum;
}

} // namespace

bool write(const QByteArray& key, const Snapshot& parts, QIODevice& out) {
    if (out.write(kTag, sizeof kTag) != sizeof kTag)
        return false;
    std::vector<std::pair<PartKey, Part>> written;
    const auto writePart = [&](const PartKey& partKey, const auto& encode) {
        Part part;
        part.offset = out.pos();
        PartWriter w(out);
        const bool ok = encode(w);
        part.length = w.length();
        part.checksum = w.checksum();
        if (ok)
            written.emplace_back(partKey, part);
        // Only a failed write to `out` ends the file; a carried part that fails is left out.
        return ok || out.pos() == part.offset + part.length;
    };
    bool ok = parts.dense || writePart(PartKey{Kind::Rowids, {}},
                                       [&](PartWriter& w) { return w.putVector(*parts.rowids); });
    for (const auto& [partKey, encode] : parts.built)
        ok = ok && writePart(partKey, encode);
    // A directory that names a part twice is refused whole: a carried part built since is left
    // out.
    const auto isWritten = [&](const PartKey& partKey) {
        return std::any_of(written.begin(), written.end(),
                           [&](const auto& entry) { return entry.first == partKey; });
    };
    for (const Carried& c : parts.carried)
        ok = ok &&
             (isWritten(c.key) || writePart(c.key, [&](PartWriter& w) { return copyPart(c, w); }));
    if (!ok)
        return false;

    const qint64 directoryAt = out.pos();
    PartWriter d(out);
    ok = d.put(quint32(key.size())) && d.write(key.constData(), key.size()) &&
         d.put(quint64(parts.rowCount)) && d.put(quint8(parts.dense)) &&
         d.put(qint64(parts.firstRowid)) && d.put(quint32(written.size()));
    for (const auto& [partKey, part] : written)
        ok = ok && d.put(quint8(partKey.kind)) && putKeys(d, partKey.keys) && d.put(part.offset) &&
             d.put(part.length) && d.put(part.checksum);
    ok = ok && d.put(quint32(parts.firstOfAll.size()));
    for (const auto& [spec, slot] : parts.firstOfAll)
        ok = ok && putKeys(d, spec) && d.put(quint32(slot));
    const qint64 directoryLength = d.length();
    const quint64 directoryChecksum = d.checksum();
    return ok && out.write(reinterpret_cast<const char*>(&directoryAt), 8) == 8 &&
           out.write(reinterpret_cast<const char*>(&directoryLength), 8) == 8 &&
           out.write(reinterpret_cast<const char*>(&directoryChecksum), 8) == 8 &&
           out.write(kEndTag, sizeof kEndTag) == sizeof kEndTag;
}

} // namespace ImageCacheFile
