#pragma once

#include "TextExchange.h"

#include <QList>
#include <QString>

// What the import keeps of a file, and the box that reports it.
namespace ImportReport {

// The records to store, and the file lines of those left out.
struct Selection {
    QList<TextExchange::Record> kept;
    QList<int> refusedLines;
};

// Keeps the records whose field `issueField` is a well-formed issue text up to
// `latestYear`, as edit mode would accept it; a negative field keeps every record.
Selection wellFormedIssues(const TextExchange::ImportText& text, int issueField, int latestYear);

// The box after an import: whether it ran to its end or was cancelled, the stored count, then
// a line for a rest after the end mark and one for the lines left out (naming at most ten of
// them). Lines are separated by CR.
QString reportText(bool cancelled, int stored, int cutAtLine, const QList<int>& refusedLines);

} // namespace ImportReport
