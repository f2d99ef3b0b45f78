#pragma once

#include <QList>
#include <QString>

class Connection;

// The records of one table whose title is the same as a given one once both are upper-cased
// with the engine's UPPER (nothing trimmed): how a reader finds a reviewed game again among
// the disc contents or the tips.
struct TitleMatch {
    QString category; // the record's category field as stored
    QString issue;    // its issue text, e.g. "1998/03"
};

namespace TitleMatches {

// Every matching record, newest issue first; records of one issue in stored order.
// Throws EngineError.
QList<TitleMatch> find(Connection& table, const QString& titleField, const QString& categoryField,
                       const QString& issueField, const QString& title);

} // namespace TitleMatches
