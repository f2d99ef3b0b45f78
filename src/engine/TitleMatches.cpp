#include "TitleMatches.h"

#include "Connection.h"
#include "SqlFunctions.h"

#include <sqlite3.h>

namespace {

QString quotedName(const QString& name) {
    QString q = name;
    q.replace(u'"', QLatin1String("\"\""));
    return u'"' + q + u'"';
}

// Finalizes the statement however the look-up ends.
struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

QString columnText(sqlite3_stmt* stmt, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(stmt, column)) : QString();
}

} // namespace

namespace TitleMatches {

QList<TitleMatch> find(Connection& table, const QString& titleField, const QString& categoryField,
                       const QString& issueField, const QString& title) {
    const int titleIndex = table.fieldIndex(titleField);
    const int categoryIndex = table.fieldIndex(categoryField);
    const int issueIndex = table.fieldIndex(issueField);
    if (titleIndex < 0 || categoryIndex < 0 || issueIndex < 0)
        return {};
    const auto& fields = table.fields();
    // The wanted title is folded once here; the stored ones by the engine's own upper().
    const QString sql =
        QStringLiteral("SELECT %1, %2 FROM %3 WHERE upper(%4) = ?1 "
                       "ORDER BY %2 DESC, rowid")
            .arg(quotedName(fields[categoryIndex].name), quotedName(fields[issueIndex].name),
                 quotedName(table.tableName()), quotedName(fields[titleIndex].name));
    Statement s;
    if (sqlite3_prepare_v2(table.handle(), sql.toUtf8().constData(), -1, &s.stmt, nullptr) !=
        SQLITE_OK)
        table.raise(table.tableName());
    const QByteArray folded = SqlFunctions::upperUtf8(title.toUtf8());
    sqlite3_bind_text(s.stmt, 1, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
    QList<TitleMatch> matches;
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW)
        matches.append({columnText(s.stmt, 0), columnText(s.stmt, 1)});
    if (rc != SQLITE_DONE)
        table.raise(table.tableName());
    return matches;
}

} // namespace TitleMatches
