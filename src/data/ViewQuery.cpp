#include "ViewQuery.h"

#include "Views.h"

#include <QDir>

namespace ViewQuery {

QChar dirSeparator() {
    return QDir::separator();
}

ComposedViewQuery compose(const ViewQueryParts& p) {
    ComposedViewQuery q;
    q.conditionJoiner = (!p.titleCondition.isEmpty() && !p.selectionCondition.isEmpty())
                            ? QStringLiteral(" AND ")
                            : QString();
    // The path is a double-quoted constant: a quote inside it is doubled.
    QString path = p.dataDir + dirSeparator() + p.tableFile;
    path.replace(u'"', QStringLiteral("\"\""));
    q.lines << QStringLiteral("SELECT * FROM \"") + path + u'"';
    if (!p.selectionCondition.isEmpty() || !p.titleCondition.isEmpty())
        q.lines << QStringLiteral("WHERE ") + p.titleCondition + q.conditionJoiner +
                       p.selectionCondition + u' ';
    if (p.sortField != QLatin1String("TITEL"))
        q.secondaryOrder = QStringLiteral(", TITEL");
    else if (p.currentView == Views::kDisc)
        q.secondaryOrder = QStringLiteral(", AUSGABE DESC");
    q.lines << QStringLiteral("ORDER BY ") + p.sortField + p.sortDirection + q.secondaryOrder;
    return q;
}

} // namespace ViewQuery
