#pragma once

#include <QByteArray>
#include <QString>

// The floors: what plain SQLite does with its built-in upper, like and COLLATE NOCASE, with
// the statistics gathered in C beside it. Each returns milliseconds.
namespace PlainSqlite {

// The view statement of one key (empty: the whole table) stepped in title order, and the
// statistics of its rows.
double keystroke(const QString& gamesFile, const QByteArray& upperText);

// One scan of the fields the games statistics need, aggregated.
double statistics(const QString& gamesFile);

// What a start-up has to do at the least, as its own process: the latest issue of each
// table and every games row id in title order; with `firstScreen`, only the rows the first
// screen shows. Returns the process's exit code.
int startupFloor(const QString& dataDir, bool firstScreen);

} // namespace PlainSqlite
