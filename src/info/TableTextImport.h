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

// Appends and posts one record per entry, its four texts set to the fields 0 to 3. The
// first record the engine refuses ends the import; it is dropped, the ones before it stay,
// and `error` closes with how many were stored and not. On a server, records are stored in
// whole groups of 2,000 (one transaction each): a group the server did not take is lost
// whole, the groups before it stay.
// Every posted record is on disk when this returns. `progress` hears of every record; when
// it asks to stop, the import stops once the group being written is on disk.
Outcome append(Table& table, const QList<TextExchange::Record>& records,
               ExchangeProgress* progress = nullptr);

} // namespace TableTextImport
