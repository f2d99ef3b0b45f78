#include "TableTextImport.h"

#include "EngineError.h"
#include "ExchangeProgress.h"
#include "Table.h"

namespace TableTextImport {

namespace {

// Posted records are made durable in groups of this many.
constexpr int kRecordsPerCommit = 2000;

void appendOne(Table& table, const TextExchange::Record& record) {
    table.append();
    for (int field = 0; field < int(record.size()); ++field)
        table.setFieldText(field, record[field]);
    table.post();
}

// Ends the group; false when the engine had to give up the whole group.
bool endGroup(Table& table) {
    try {
        table.commitBatch();
        return true;
    } catch (const EngineError&) {
        return false;
    }
}

// After a failure in the group that began at `groupStart`: ends the group and returns how many
// records are stored.
qsizetype keptAfterFailure(Table& table, const QList<TextExchange::Record>& records,
                           qsizetype groupStart, qsizetype posted, bool committing) {
    table.cancel(); // a refused record
    if (!committing && endGroup(table))
        return posted;
    // The engine gave the group up. Over a server it stays given up: the server may be back
    // by now (a restart, an ended session), and posting the records one by one would store
    // part of a group. A folder rolled it back for a full disk or an I/O error: its records
    // are posted again one by one, as far as they go.
    if (table.mirrorsStore())
        return groupStart;
    qsizetype kept = groupStart;
    try {
        for (qsizetype i = groupStart; i < posted; ++i) {
            appendOne(table, records[i]);
            ++kept;
        }
    } catch (const EngineError&) {
        table.cancel();
    }
    return kept;
}

} // namespace

Outcome append(Table& table, const QList<TextExchange::Record>& records,
               ExchangeProgress* progress) {
    Outcome outcome;
    qsizetype groupStart = 0; // first record of the group not yet durable
    qsizetype posted = 0;
    bool committing = false;
    try {
        table.beginBatch();
        for (const TextExchange::Record& record : records) {
            appendOne(table, record);
            ++posted;
            if (progress)
                progress->advance(posted, records.size());
            if (posted % kRecordsPerCommit == 0) {
                committing = true;
                table.commitBatch();
                committing = false;
                groupStart = posted;
                if (progress && progress->cancelled() && posted < records.size()) {
                    outcome.count = int(posted);
                    outcome.cancelled = true;
                    return outcome;
                }
                table.beginBatch();
            }
        }
        committing = true;
        table.commitBatch();
        outcome.count = int(posted);
        return outcome;
    } catch (const EngineError& e) {
        outcome.error = e.message();
    }
    if (table.isOpen())
        outcome.count = int(keptAfterFailure(table, records, groupStart, posted, committing));
    outcome.error += u'\r' + QStringLiteral("%1 Datensätze eingefügt; die übrigen %2 wurden "
                                            "nicht gespeichert.")
                                 .arg(outcome.count)
                                 .arg(records.size() - outcome.count);
    return outcome;
}

} // namespace TableTextImport
