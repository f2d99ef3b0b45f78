#pragma once

#include "cache/ImageCacheParts.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct sqlite3;
namespace ImageCacheFile {
struct Contents;
struct Snapshot;
class Source;
} // namespace ImageCacheFile

// One table held in memory as it stood at one change of the file: the row ids in ascending
// order ("slots"), and, read when first needed, a field's values, its texts upper-cased, its
// sort ranks and the row order of a sort. Every keystroke's view is evaluated over these
// instead of reading the whole file through SQLite again.
class TableImage {
public:
    // Sort classes in the order ORDER BY puts them.
    enum ValueType : uint8_t { Null = 0, Integer = 1, Real = 2, Text = 3, Blob = 4 };

    struct Texts {
        std::vector<uint32_t> ends;
        std::string bytes;
        QByteArrayView at(uint32_t slot) const {
            const uint32_t begin = slot == 0 ? 0 : ends[slot - 1];
            return QByteArrayView(bytes.data() + begin, ends[slot] - begin);
        }
        void append(const char* text, size_t length) {
            bytes.append(text, length);
            ends.push_back(uint32_t(bytes.size()));
        }
    };
    struct Values {
        std::vector<uint8_t> types; // ValueType per slot
        Texts texts;                // as SQLite gives them as text; empty for NULL
        std::vector<int64_t> bits;  // INTEGER values, or REAL values' bits; empty when none
        double number(uint32_t slot) const;
    };
    // Keys of a sort: field index and whether descending.
    using SortSpec = std::vector<std::pair<int, bool>>;

    // Nothing is read before load() or takeStored().
    TableImage(sqlite3* db, const QString& table, const QStringList& fields,
               const QString& rowIdName);

    // Reads those of `fields` not held yet, in one pass over the file.
    void load(std::vector<int> fields);

    uint32_t rowCount() const { return m_rowCount; }
    int fieldCount() const { return int(m_fields.size()); }
    qint64 rowid(uint32_t slot) const { return m_dense ? m_firstRowid + slot : m_rowids[slot]; }
    // The slot of a row id, -1 when the table had no such row.
    int64_t slotOf(qint64 rowid) const;

    // Whether a field's values are in memory or in the cache file the image was read from.
    bool holds(int field) const {
        return m_values.count(field) != 0 || isStored(ImageCacheFile::Kind::Values, field);
    }
    // Each throws EngineError when the file cannot be read.
    const Values& values(int field);
    // UPPER of each value as the engine computes it (NULL stays empty).
    const Texts& upperTexts(int field);
    // Clears the marks of the slots whose value is NULL. Without the values in memory only the
    // marked slots whose upper-cased text is empty can be NULL: when they are few, as they
    // mostly are, they are looked up in the file one by one instead of reading every value.
    void unmarkNulls(int field, std::vector<uint8_t>& marked);
    // Equal values share a rank; ranks follow ORDER BY <field> COLLATE the engine's collation.
    const std::vector<int32_t>& ranks(int field);
    // Reads the ranks of those of `fields` not held yet, in one pass over the file, keeping
    // only each field's distinct values while it reads: a field of a million rows with a few
    // hundred values takes four bytes a row, not its texts.
    void loadRanks(std::vector<int> fields);
    bool hasRanks(int field) const {
        return m_ranks.count(field) != 0 || isStored(ImageCacheFile::Kind::Ranks, field);
    }
    // A field held as the number of its distinct value in each slot: a rubric, a rating or an
    // issue takes four bytes a row instead of its texts, and a condition or a walk looks at
    // each distinct value once.
    struct Coded {
        std::vector<int32_t> codes; // per slot, an index into `distinct`
        Values distinct;
    };
    const Coded& coded(int field);
    // Reads those of `fields` not coded yet, in one pass over the file.
    void loadCoded(std::vector<int> fields);
    bool hasCoded(int field) const {
        return m_coded.count(field) != 0 || isStored(ImageCacheFile::Kind::Coded, field);
    }
    // Builds the ranks of several fields at once, those whose values are not held in one pass.
    void prepareRanks(const std::vector<int>& fields);
    // Every slot in the order of the sort, equal keys by ascending row id.
    const std::vector<uint32_t>& order(const SortSpec& spec);
    bool hasOrder(const SortSpec& spec) const {
        return m_orders.count(spec) != 0 ||
               m_storedParts.count({ImageCacheFile::Kind::Order, spec}) != 0;
    }
    // The first of the marked slots in the order of the sort, without building that order:
    // one pass over the ranks or the values, where ranks not built yet would take a whole
    // sort. -1 when no slot is marked. The first of all slots is kept, in the cache file too: the
    // latest issue a start looks up needs no values then.
    int64_t firstInOrder(const SortSpec& spec, const std::vector<uint8_t>& marked);
    // The first `count` slots of the sort over every row, as SQLite's own sort with the engine's
    // collation gives them, equal keys by ascending row id: what the first screen shows before
    // the whole order is built, read without holding any values. A row added since the image
    // was taken is left out. The first is kept as the sort's first of all slots.
    std::vector<uint32_t> headOfAll(const SortSpec& spec, uint32_t count);
    // Whether the first `count` slots of the sort were read already (here or by a build).
    bool hasHead(const SortSpec& spec, uint32_t count) const {
        const auto it = m_heads.find(spec);
        return it != m_heads.end() && it->second.first >= count;
    }
    bool knowsFirstOfAll(const SortSpec& spec) const { return m_firstOfAll.count(spec) != 0; }
    // ORDER BY's comparison of two slots' values of one field: -1, 0 or 1.
    static int compareValues(const Values& v, uint32_t a, uint32_t b);

    // What the image holds, for a cache file written on another thread while the image goes on
    // growing: the parts built, by pointers to parts that never change once built, and the
    // parts of the cache file it was read from that were not needed yet.
    ImageCacheFile::Snapshot snapshot() const;
    // Whether anything was built since the image was read or last taken a snapshot of.
    bool hasNewParts() const { return m_newParts; }
    // Takes on, in an image that holds nothing yet, what a cache file of its contents holds:
    // the row ids now, every other part when it is first asked for. A part that turns out
    // damaged when read is built anew.
    void takeStored(ImageCacheFile::Contents contents);

    // Takes the ranks, orders and first rows another image of the same rows built (SortBuild)
    // that this one has not got; false, taking nothing, when the rows differ.
    bool adopt(TableImage& built);

    // Slots whose upper-cased field equals `upperText` exactly, ascending.
    std::vector<uint32_t> slotsWithUpperText(int field, QByteArrayView upperText);

private:
    static std::vector<int32_t> computeRanks(const Values& values);
    void checkField(int field) const; // throws EngineError when there is no such field
    // One pass over the file for the distinct values of `fields` (checked, not empty): hands
    // each field's distinct values and the one each slot holds to `take(k, distinct, of)`.
    // A row gone since the row ids were read holds NULL.
    template <typename Take> void readDistinct(const std::vector<int>& fields, Take take);
    // Parts of the cache file the image was read from that are not held in memory yet.
    std::shared_ptr<const ImageCacheFile::Source> m_source;
    std::map<ImageCacheFile::PartKey, ImageCacheFile::Part> m_storedParts;
    bool isStored(ImageCacheFile::Kind kind, int field) const {
        return m_storedParts.count(ImageCacheFile::PartKey::ofField(kind, field)) != 0;
    }
    // Each reads a stored part into memory; false (and the part forgotten) when it is damaged.
    bool takeStoredValues(int field);
    bool takeStoredUpper(int field);
    bool takeStoredRanks(int field);
    bool takeStoredCoded(int field);
    bool takeStoredOrder(const SortSpec& spec);
    int64_t firstMarked(const SortSpec& spec, const std::vector<uint8_t>& marked);
    int64_t firstByRanks(const SortSpec& spec, const std::vector<uint8_t>& marked);
    sqlite3* m_db;
    QString m_table;
    QStringList m_fields;
    QString m_rowIdName;
    // Row ids ascending; left empty when they run without a gap, as they mostly do.
    std::vector<qint64> m_rowids;
    uint32_t m_rowCount = 0;
    bool m_dense = true; // slot == rowid - m_firstRowid for every row
    qint64 m_firstRowid = 0;
    bool m_rowidsRead = false;
    mutable bool m_newParts = false;
    void takeRowids(std::vector<qint64> rowids);
    // Row ids that run without a gap are known from their count and their ends alone: false,
    // knowing nothing, when there is a gap.
    bool readDenseRowids();
    std::map<int, std::unique_ptr<Values>> m_values;
    std::map<int, std::unique_ptr<Texts>> m_upper;
    // Slots ordered by the hash of their upper-cased text, for equality look-ups.
    std::map<int, std::vector<uint32_t>> m_upperIndex;
    std::map<int, std::vector<int32_t>> m_ranks;
    std::map<int, std::unique_ptr<Coded>> m_coded;
    std::map<SortSpec, std::vector<uint32_t>> m_orders;
    std::map<SortSpec, uint32_t> m_firstOfAll; // the first slot of each sort, every slot marked
    // The first slots of sorts over every row, with the count asked for.
    std::map<SortSpec, std::pair<uint32_t, std::vector<uint32_t>>> m_heads;
};
