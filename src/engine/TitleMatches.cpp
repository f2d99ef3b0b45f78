#include "TitleMatches.h"

#include "Capitals.h"
#include "Connection.h"
#include "EngineError.h"
#include "LocalSqlTranslator.h"
#include "PreparedStatement.h"
#include "TitleIndex.h"

#include <algorithm>
#include <sqlite3.h>

namespace TitleMatches {

namespace {

struct Found {
    QByteArray category;
    QByteArray issue;
    bool issueNull = false;
};

} // namespace

QList<TitleMatch> find(Connection& table, const QString& titleField, const QString& categoryField,
                       const QString& issueField, const QString& title) {
    const int titleIndex = table.fieldIndex(titleField);
    const int categoryIndex = table.fieldIndex(categoryField);
    const int issueIndex = table.fieldIndex(issueField);
    if (titleIndex < 0 || categoryIndex < 0 || issueIndex < 0)
        return {};
    // The index names the few rows whose upper-cased title may be the wanted one; those rows
    // alone are read and their titles folded by the same rule and compared.
    const QByteArray wanted = Capitals::ofUtf8(title.toUtf8());
    const std::vector<qint64> candidates = table.titleIndex(titleIndex)->candidates(wanted);
    if (candidates.empty())
        return {};
    const auto name = [&](int field) {
        return LocalSqlTranslator::sqlIdentifier(table.fields()[field].name);
    };
    // One statement for every candidate: a statement apiece would take the file's lock and
    // check its header for each row.
    QString ids;
    for (qint64 rowid : candidates)
        ids += (ids.isEmpty() ? QString() : QStringLiteral(",")) + QString::number(rowid);
    const QString sql =
        QStringLiteral("SELECT %1, %2, %3 FROM %4 WHERE %5 IN (%6) ORDER BY %5")
            .arg(name(titleIndex), name(categoryIndex), name(issueIndex),
                 LocalSqlTranslator::sqlIdentifier(table.tableName()), table.rowIdName(), ids);
    PreparedStatement st(table.handle(), sql);
    if (!st)
        table.raise(QStringLiteral("Die Tabelle kann nicht gelesen werden"));
    const auto text = [&st](int column) {
        return QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(st, column)),
                          sqlite3_column_bytes(st, column));
    };
    std::vector<Found> found; // in row id order
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        if (sqlite3_column_type(st, 0) != SQLITE_NULL && Capitals::ofUtf8(text(0)) == wanted)
            found.push_back({text(1), text(2), sqlite3_column_type(st, 2) == SQLITE_NULL});
    st.finalize();
    if (rc != SQLITE_DONE)
        table.raise(QStringLiteral("Die Tabelle kann nicht gelesen werden"));
    // Newest issue first (issue texts sort by time; an empty issue last), stored order within
    // one issue: the sort keeps the row id order among equals.
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        if (a.issueNull != b.issueNull)
            return b.issueNull;
        return a.issue > b.issue;
    });
    QList<TitleMatch> matches;
    matches.reserve(qsizetype(found.size()));
    for (const Found& f : found)
        matches.append({QString::fromUtf8(f.category), QString::fromUtf8(f.issue)});
    return matches;
}

} // namespace TitleMatches
