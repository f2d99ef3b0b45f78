#include "ImportSelection.h"

#include "ImportReader.h"

ImportSelection::ImportSelection(TextExchange::ImportReader& reader, int issueField, int latestYear)
    : m_reader(reader), m_issueField(issueField), m_latestYear(latestYear) {}

void ImportSelection::nextGroup(QList<TextExchange::Record>& group, qsizetype max) {
    group.reserve(max);
    TextExchange::Record record;
    int line = 0;
    while (group.size() < max && m_reader.next(record, line)) {
        if (ImportReport::keeps(record, m_issueField, m_latestYear))
            group.append(std::move(record));
        else
            m_refused.add(line);
    }
}

qsizetype ImportSelection::total() const {
    return m_reader.recordCount();
}
