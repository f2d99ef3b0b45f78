#include "BareEngine.h"

#include "SqlFunctions.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <sqlite3.h>

namespace BareEngine {

QString sqliteText(const QString& statement, const QString& tableName) {
    QString out;
    bool fromSeen = false;
    for (qsizetype i = 0; i < statement.size(); ++i) {
        const QChar c = statement[i];
        if (c != u'"') {
            out += c;
            continue;
        }
        QString value;
        qsizetype j = i + 1;
        for (; j < statement.size(); ++j) {
            if (statement[j] == u'"') {
                if (j + 1 < statement.size() && statement[j + 1] == u'"') {
                    value += u'"';
                    ++j;
                    continue;
                }
                break;
            }
            value += statement[j];
        }
        i = j;
        if (!fromSeen) {
            out += tableName; // the first constant is the table file
            fromSeen = true;
        } else {
            out += u'\'' + QString(value).replace(u'\'', QStringLiteral("''")) + u'\'';
        }
    }
    // ORDER BY terms get the engine's collation, as the program's query has it.
    const qsizetype at = out.lastIndexOf(QStringLiteral("ORDER BY "));
    if (at >= 0) {
        QStringList terms;
        for (QString term : out.mid(at + 9).split(u',')) {
            term = term.trimmed();
            const bool desc = term.endsWith(QLatin1String(" DESC"));
            if (desc)
                term.chop(5);
            terms << term + QStringLiteral(" COLLATE ") + QLatin1String(SqlFunctions::kCollation) +
                         (desc ? QStringLiteral(" DESC") : QString());
        }
        out = out.left(at + 9) + terms.join(QStringLiteral(", "));
    }
    return out;
}

double stepAll(const QString& file, const QString& sql, const QStringList& readFields) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    SqlFunctions::registerAll(db);
    QElapsedTimer timer;
    timer.start();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
        qWarning("floor statement rejected: %s", sqlite3_errmsg(db));
    QList<int> columns;
    for (int c = 0; st && c < sqlite3_column_count(st); ++c)
        if (readFields.contains(QString::fromUtf8(sqlite3_column_name(st, c)), Qt::CaseInsensitive))
            columns << c;
    qint64 sink = 0;
    while (st && sqlite3_step(st) == SQLITE_ROW)
        for (int c : columns)
            sink += sqlite3_column_bytes(st, c) + (sqlite3_column_text(st, c) ? 1 : 0);
    sqlite3_finalize(st);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    sqlite3_close(db);
    return sink < 0 ? -ms : ms;
}

} // namespace BareEngine
