#pragma once

#include "TextExchange.h"

class ExchangeProgress;

#include <QString>

class Table;

// Appends import records to an open, writable table.
namespace TableTextImport {

struct Outcome {
    int count = 0;          // records appended and posted
    QString error;          // the engine's message when a record failed, else empty
    bool cancelled = false; // stopped on request; the records after `count` were not added
};

// Where the records to append come from, a group at a time, so that no more than one group
// needs to be held.
class RecordSource {
public:
    virtual ~RecordSource() = default;
    // Fills the empty `group` with up to `max` next records; leaves it empty at the end.
    virtual void nextGroup(QList<TextExchange::Record>& group, qsizetype max) = 0;
    // For the progress: the records the source holds in all, and those of them it has
    // passed over so far (read, but not handed out).
    virtual qsizetype total() const = 0;
    virtual qsizetype passedOver() const { return 0; }
};

// Appends and posts one record per entry, its four texts set to the fields 0 to 3. The
// first record the engine refuses ends the import; it is dropped, the ones before it stay,
// and `error` closes with how many were stored and not. On a server, records are stored in
// whole groups of 2,000 (one transaction each): a group the server did not take is lost
// whole, the groups before it stay.
// Every posted record is on disk when this returns. `progress` hears of every record; when
// it asks to stop, the import stops once the group being written is on disk.
Outcome append(Table& table, RecordSource& source, ExchangeProgress* progress = nullptr);
Outcome append(Table& table, const QList<TextExchange::Record>& records,
               ExchangeProgress* progress = nullptr);

} // namespace TableTextImport
