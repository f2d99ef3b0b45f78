#pragma once

#include "ImportReport.h"
#include "TableTextImport.h"

namespace TextExchange {
class ImportReader;
}

// The records of an import file that the import stores, read from the file a group at a time:
// those whose issue edit mode would accept. The lines left out are counted and the first ones
// kept for the box.
class ImportSelection : public TableTextImport::RecordSource {
public:
    // `reader` has scanned its file; `issueField` and `latestYear` as for ImportReport::keeps.
    ImportSelection(TextExchange::ImportReader& reader, int issueField, int latestYear);

    void nextGroup(QList<TextExchange::Record>& group, qsizetype max) override;
    qsizetype total() const override;
    qsizetype passedOver() const override { return m_refused.count; }

    const ImportReport::RefusedLines& refused() const { return m_refused; }

private:
    TextExchange::ImportReader& m_reader;
    int m_issueField;
    int m_latestYear;
    ImportReport::RefusedLines m_refused;
};
