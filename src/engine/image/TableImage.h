#pragma once

#include "CodedFields.h"
#include "ImageRows.h"
#include "ImageValues.h"
#include "SortRanks.h"
#include "StoredParts.h"
#include "TableSource.h"

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

struct sqlite3;
namespace ImageCacheFile {
struct Contents;
struct Snapshot;
} // namespace ImageCacheFile

// One table held in memory as it stood at one change of the file: the row ids in ascending
// order ("slots"), and, read when first needed, a field's values, its texts upper-cased, its
// sort ranks, its coded form and the row order of a sort. Every keystroke's view is evaluated
// over these instead of reading the whole file through SQLite again. Each part is taken from
// memory, else from the cache file the image was read from (StoredParts), else built: the
// values by ImageColumns, the upper-cased texts by UpperTexts, the ranks and orders by
// SortRanks, the coded fields by CodedFields.
class TableImage {
public:
    // The parts' types under the names the engine uses.
    using enum ImageValues::Type;
    using Texts = ImageTexts;
    using Values = ImageValues;
    using Coded = CodedField;
    using SortSpec = SortRanks::Spec;

    // Nothing is read before load() or takeStored().
    TableImage(sqlite3* db, const QString& table, const QStringList& fields,
               const QString& rowIdName);

    // Reads those of `fields` not held yet, in one pass over the file.
    void load(std::vector<int> fields);

    uint32_t rowCount() const { return m_rows.count(); }
    int fieldCount() const { return m_source.fieldCount(); }
    qint64 rowid(uint32_t slot) const { return m_rows.rowid(slot); }
    // The slot of a row id, -1 when the table had no such row.
    int64_t slotOf(qint64 rowid) const { return m_rows.slotOf(rowid); }

    // Whether a field's values are in memory or in the cache file the image was read from.
    bool holds(int field) const {
        return m_values.count(field) != 0 || m_stored.has(ImageCacheFile::Kind::Values, field);
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
        return m_ranks.count(field) != 0 || m_stored.has(ImageCacheFile::Kind::Ranks, field);
    }
    const Coded& coded(int field);
    // Reads those of `fields` not coded yet, in one pass over the file.
    void loadCoded(std::vector<int> fields);
    bool hasCoded(int field) const {
        return m_coded.count(field) != 0 || m_stored.has(ImageCacheFile::Kind::Coded, field);
    }
    // Builds the ranks of several fields at once, those whose values are not held in one pass.
    void prepareRanks(const std::vector<int>& fields);
    // Every slot in the order of the sort, equal keys by ascending row id.
    const std::vector<uint32_t>& order(const SortSpec& spec);
    bool hasOrder(const SortSpec& spec) const {
        return m_orders.count(spec) != 0 || m_stored.has({ImageCacheFile::Kind::Order, spec});
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
    // Takes the first `count` slots of such a sort (all of them when fewer), read elsewhere
    // from the same rows, unless they are held already.
    void takeHead(const SortSpec& spec, std::vector<uint32_t> head, uint32_t count);
    // Whether the first `count` slots of the sort were read already (here or by a build).
    bool hasHead(const SortSpec& spec, uint32_t count) const {
        const auto it = m_heads.find(spec);
        return it != m_heads.end() && it->second.first >= count;
    }
    bool knowsFirstOfAll(const SortSpec& spec) const { return m_firstOfAll.count(spec) != 0; }

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
    // Reads the distinct values of `fields` (checked) in one pass, the row ids first when they
    // are not read yet; see CodedFields::read.
    void readDistinct(const std::vector<int>& fields,
                      const std::function<void(size_t, Values&, std::vector<int32_t>&)>& take);
    void readRowidsFirst() {
        if (!m_rows.isRead())
            load({});
    }
    int64_t firstMarked(const SortSpec& spec, const std::vector<uint8_t>& marked);
    int64_t firstByRanks(const SortSpec& spec, const std::vector<uint8_t>& marked);

    TableSource m_source;
    ImageRows m_rows;
    StoredParts m_stored;
    mutable bool m_newParts = false;
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
