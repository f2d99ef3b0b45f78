#include "HeadingSorts.h"

#include "Connection.h"
#include "EngineError.h"
#include "ViewQuery.h"
#include "Views.h"

namespace HeadingSorts {

void prepare(const QString& dataDir, const CrossViewMenu::OpenTables& openTables) {
    for (const ViewDefinition& view : Views::all()) {
        const std::shared_ptr<Connection> table =
            openTables.value(dataDir + ViewQuery::dirSeparator() + view.tableFile);
        if (!table)
            continue;
        std::vector<int> fields;
        for (const QString& name : Views::headingSortFields(view))
            if (const int f = table->fieldIndex(name); f >= 0)
                fields.push_back(f);
        try {
            table->prepareSorts(fields, {});
        } catch (const EngineError&) {
            // A table that cannot be read now is sorted when a heading is clicked.
        }
    }
}

} // namespace HeadingSorts
