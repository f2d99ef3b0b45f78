#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

// The row ids of a table by a 32-bit hash of one field's text upper-cased as the engine's UPPER
// does it: eight bytes a row, where the texts themselves would take several times as much. A
// look-up gives the few rows whose hash matches; whether their text is equal is read from
// those rows alone.
class TitleIndex {
public:
    // Reads the field of every row through a connection of its own to `databaseFile`, so that
    // it may run on another thread, when its `turn` (BuildTurns) has come. Null
    // when `cancelled` was set before it finished. Throws EngineError when the file cannot be
    // read.
    static std::shared_ptr<const TitleIndex> build(const QString& databaseFile,
                                                   const QString& table, const QString& field,
                                                   const QString& rowIdName, uint64_t turn,
                                                   const std::atomic<bool>& cancelled);

    static uint32_t hashOf(QByteArrayView upperText);

    // Row ids, ascending, of the rows whose upper-cased text has the hash of `upperText`
    // (NULL texts are left out).
    std::vector<qint64> candidates(QByteArrayView upperText) const;

private:
    void add(uint32_t hash, qint64 rowid);
    std::vector<uint64_t> m_keys;     // hash << 32 | row id, or its place in m_wideRowids
    std::vector<qint64> m_wideRowids; // every row id, once one does not fit in 32 bits
};
