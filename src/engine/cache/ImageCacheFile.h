#pragma once

#include "ImageCacheParts.h"
#include "ImageValues.h"
#include "SortRanks.h"

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>
#include <xxhash.h>

class QIODevice;

// The layout of a cache file of a table image: a tag naming the layout, the parts one after
// another, a directory of the parts and a trailer saying where the directory stands. The
// directory holds the content key the file belongs to, the row count and first row id, and
// for each part what it belongs to, where it stands and a checksum of its bytes; the directory
// carries a checksum of its own. A part's checksum is verified whenever the part is read, so a
// damaged part is found before any of it is used. Numbers are stored as the machine holds
// them; the tag tells a file of another layout or word size.
namespace ImageCacheFile {

// A cache file held open: read with positioned reads, from any thread.
class Source {
public:
    explicit Source(int fd) : m_fd(fd) {}
    ~Source();
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;
    // Reads exactly `length` bytes at `offset`.
    bool readAt(qint64 offset, void* into, qint64 length) const;

private:
    int m_fd;
};

// Decodes one part's bytes straight into the image's vectors, refusing anything that runs past
// the part's end; the bytes taken are checksummed on the way.
class PartReader {
public:
    PartReader(const Source& source, const Part& part);
    ~PartReader();
    PartReader(const PartReader&) = delete;
    PartReader& operator=(const PartReader&) = delete;
    qint64 left() const { return m_end - m_at; }
    template <typename T> bool get(T& value) { return getBytes(&value, sizeof value); }
    template <typename T> bool getVector(std::vector<T>& v, quint64 expected) {
        quint64 count = 0;
        if (!get(count) || count != expected || count > quint64(left()) / sizeof(T))
            return false;
        v.resize(count);
        return getBytes(v.data(), qint64(count * sizeof(T)));
    }
    bool getTexts(ImageTexts& t, quint64 rows);
    // The values of `rows` slots: their types, texts and numbers.
    bool getValues(ImageValues& v, quint64 rows);
    bool getBytes(void* into, qint64 length);
    // Whether every byte of the part was taken and their checksum is the one recorded.
    bool complete() const;

private:
    const Source& m_source;
    qint64 m_at, m_end;
    quint64 m_checksum;
    XXH3_state_t* m_state;
};

// Encodes one part, checksumming what it writes.
class PartWriter {
public:
    explicit PartWriter(QIODevice& out);
    ~PartWriter();
    PartWriter(const PartWriter&) = delete;
    PartWriter& operator=(const PartWriter&) = delete;
    bool write(const void* bytes, qint64 length);
    template <typename T> bool put(const T& value) { return write(&value, sizeof value); }
    template <typename T> bool putVector(const std::vector<T>& v) {
        return put(quint64(v.size())) && write(v.data(), qint64(v.size() * sizeof(T)));
    }
    bool putTexts(const ImageTexts& t);
    bool putValues(const ImageValues& v);
    qint64 length() const { return m_length; }
    quint64 checksum() const;

private:
    QIODevice& m_out;
    qint64 m_length = 0;
    XXH3_state_t* m_state;
};

// A cache file's directory, read and checked, with the row ids: what an image takes on.
struct Contents {
    std::shared_ptr<const Source> source;
    uint32_t rowCount = 0;
    bool dense = true;
    qint64 firstRowid = 0;
    std::vector<qint64> rowids; // ascending, when not dense
    std::map<SortRanks::Spec, uint32_t> firstOfAll;
    std::map<PartKey, Part> parts; // every part but the row ids
};

// Reads the directory of the file open on `fd` (which is closed with the result) and its row
// ids; nothing when the file is not one of `key` for a table of `fieldCount` fields, or when
// anything of it is out of place or fails its checksum.
std::optional<Contents> read(int fd, const QByteArray& key, int fieldCount);

// Reads a part with `decode`, which must take exactly its bytes; false when the part is
// damaged.
bool readPart(const Source& source, const Part& part,
              const std::function<bool(PartReader&)>& decode);

// A part copied as it stands from an earlier file.
struct Carried {
    PartKey key;
    Part part;
    std::shared_ptr<const Source> source;
};

// What an image holds, to be written on another thread while the image goes on growing: the
// parts it built (each encoded by its function, over parts that never change once built) and
// those of cache files it was read from that it has not needed yet.
struct Snapshot {
    uint32_t rowCount = 0;
    bool dense = true;
    qint64 firstRowid = 0;
    const std::vector<qint64>* rowids = nullptr; // when not dense
    std::vector<std::pair<PartKey, std::function<bool(PartWriter&)>>> built;
    std::vector<Carried> carried;
    std::map<SortRanks::Spec, uint32_t> firstOfAll;
    // Adds what an earlier file of the same rows holds that the snapshot lacks: parts an image
    // of the same contents kept there are kept on, not written over. False when its rows differ.
    bool addEarlier(const Contents& earlier);
};

// Writes the file of `key`; false when a write failed. A carried part that no longer matches its
// checksum is left out.
bool write(const QByteArray& key, const Snapshot& parts, QIODevice& out);

} // namespace ImageCacheFile
