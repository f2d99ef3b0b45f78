#pragma once

#include <QList>
#include <QString>

// Translates the program's local-SQL dialect into SQLite's:
//   SELECT * FROM "<table file path>" [WHERE ...] [ORDER BY f [DESC], g [DESC]]
// Double-quoted constants become string literals ("" inside stands for one quote),
// the quoted table path is taken out and replaced by a placeholder for the table name,
// and every ORDER BY term gets the engine's text collation.
struct TranslatedStatement {
    QString tablePath;  // the path between the quotes after FROM, as written
    QString selectList; // what stands between SELECT and FROM, trimmed ("*")
    QString tail;       // SQLite text after the table name (WHERE ..., ORDER BY ...)

    // The same tail split: the part before ORDER BY, and the plain ORDER BY terms when the
    // clause is a list of fields (orderIsFieldList false otherwise, e.g. an expression).
    struct OrderTerm {
        QString field;
        bool descending = false;
    };
    QString whereTail;
    QList<OrderTerm> orderTerms;
    bool orderIsFieldList = true;
};

class LocalSqlTranslator {
public:
    // Throws EngineError for an unterminated constant, a missing FROM "<path>", or a
    // statement that is not a SELECT.
    static TranslatedStatement translate(const QString& statement);

    // Quotes a text as an SQLite string literal.
    static QString sqlLiteral(const QString& text);
    // Quotes a name as an SQLite identifier.
    static QString sqlIdentifier(const QString& name);
};
