#pragma once

#include <QString>
#include <QStringList>

// Composes the view query's statement lines from the parts the program keeps.
struct ViewQueryParts {
    QString dataDir;
    QString tableFile;
    QString currentView;
    QString titleCondition;
    QString selectionCondition;
    QString sortField;
    QString sortDirection;
};

struct ComposedViewQuery {
    QStringList lines;
    QString conditionJoiner; // " AND " or empty
    QString secondaryOrder;  // ", TITEL", ", AUSGABE DESC" or empty
};

namespace ViewQuery {

// The separator between the data folder and the table file in the statement
// ("\" on Windows, "/" elsewhere); the engine reads both.
QChar dirSeparator();

ComposedViewQuery compose(const ViewQueryParts& parts);

} // namespace ViewQuery
