#pragma once

#include "TextExchange.h"

#include <QString>

class Table;

// Appends import records to an open, writable table.
namespace TableTextImport {

struct Outcome {
    int count = 0; // records appended and posted
    QString error; // the engine's message when a record failed, else empty
};

// Appends and posts one record per entry, its four texts set to the fields 0 to 3. The
// first record the engine refuses ends the import; it is dropped, the ones before it stay.
// Every posted record is on disk when this returns.
Outcome append(Table& table, const QList<TextExchange::Record>& records);

} // namespace TableTextImport
