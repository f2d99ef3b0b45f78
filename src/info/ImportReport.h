#pragma once

#include "TextExchange.h"

#include <QList>
#include <QString>

// What the import keeps of a file, and the box that reports it.
namespace ImportReport {

// Whether the import stores the record: its field `issueField` is a well-formed issue text
// up to `latestYear`, as edit mode would accept it; a negative field keeps every record.
bool keeps(const TextExchange::Record& record, int issueField, int latestYear);

// The file lines left out: how many, and the first ones, which the box names.
struct RefusedLines {
    int count = 0;
    QList<int> named;
    void add(int line);
};

// The box after an import: whether it ran to its end or was cancelled, the stored count, then
// a line for a rest after the end mark and one for the lines left out (naming at most ten of
// them). Lines are separated by CR.
QString reportText(bool cancelled, int stored, int cutAtLine, const RefusedLines& refused);

} // namespace ImportReport
