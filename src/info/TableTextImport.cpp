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

// The records of a list, handed out a group at a time.
class ListSource : public RecordSource {
public:
    explicit ListSource(const QList<TextExchange::Record>& records) : m_records(records) {}
    void nextGroup(QList<TextExchange::Record>& group, qsizetype max) override {
        group = m_records.mid(m_next, max);
        m_next += group.size();
    }
    qsizetype total() const override { return m_records.size(); }

private:
    const QList<TextExchange::Record>& m_records;
    qsizetype m_next = 0;
};

// After a failure in the group that began at `groupStart`, whose records `group` holds: ends the
// group and returns how many records are stored.
qsizetype keptAfterFailure(Table& table, const QList<TextExchange::Record>& group,
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
            appendOne(table, group[i - groupStart]);
            ++kept;
        }
    } catch (const EngineError&) {
        table.cancel();
    }
    return kept;
}

} // namespace

Outcome append(Table& table, RecordSource& source, ExchangeProgress* progress) {
    Outcome outcome;
    QList<TextExchange::Record> records; // the group being written
    qsizetype groupStart = 0;            // first record of the group not yet durable
    qsizetype posted = 0;
    bool committing = false;
    try {
        source.nextGroup(records, kRecordsPerCommit);
        table.beginBatch();
        while (!records.isEmpty()) {
            for (const TextExchange::Record& record : records) {
                appendOne(table, record);
                ++posted;
                if (progress)
                    progress->advance(source.passedOver() + posted, source.total());
            }
            committing = true;
            table.commitBatch();
            committing = false;
            groupStart = posted;
            records.clear();
            source.nextGroup(records, kRecordsPerCommit);
            if (progress && progress->cancelled() && !records.isEmpty()) {
                outcome.count = int(posted);
                outcome.cancelled = true;
                return outcome;
            }
            table.beginBatch();
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
                                 .arg(source.total() - outcome.count);
    return outcome;
}

Outcome append(Table& table, const QList<TextExchange::Record>& records,
               ExchangeProgress* progress) {
    ListSource source(records);
    return append(table, source, progress);
}

} // namespace TableTextImport
