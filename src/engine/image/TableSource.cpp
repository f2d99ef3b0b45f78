#include "TableSource.h"

#include "EngineError.h"
#include "LocalSqlTranslator.h"

#include <sqlite3.h>

void TableSource::checkField(int field) const {
    if (field < 0 || field >= m_fields.size())
        throw EngineError(QStringLiteral("Feldnummer außerhalb des gültigen Bereichs"));
}

void TableSource::cannotRead() const {
    throw EngineError(QStringLiteral("Die Tabelle kann nicht gelesen werden: \"%1\"")
                          .arg(QString::fromUtf8(sqlite3_errmsg(m_db))));
}

QString TableSource::table() const {
    return LocalSqlTranslator::sqlIdentifier(m_table);
}

QString TableSource::field(int f) const {
    return LocalSqlTranslator::sqlIdentifier(m_fields[f]);
}

QString TableSource::selectWithRowid(const std::vector<int>& fields) const {
    QString sql = QStringLiteral("SELECT ") + m_rowIdName;
    for (int f : fields)
        sql += QStringLiteral(", ") + field(f);
    return sql + QStringLiteral(" FROM ") + table();
}
