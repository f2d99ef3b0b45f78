#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

class TableImage;

// What is costly to rebuild of a table held in memory (its fields, upper-cased titles, sort
// ranks and orders) kept in files of our own under $XDG_CACHE_HOME/vantora/, named after the
// table file's contents rather than its path: a copy of unchanged tables (the hard-disk
// folder at every start) finds them again. The folder may be deleted at any time.
namespace ImageCache {

QString folder();

// A key of the file's contents: its size, its header (with SQLite's change counter) and a
// checksum of pages spread over it, with the table's name and fields. Empty when the file
// cannot be read or is in WAL mode, where the header does not follow every change.
QByteArray contentKey(const QString& databaseFile, const QString& table, const QStringList& fields);

// Fills a fresh image from the file of `key`; false when there is none or it does not fit.
bool restore(const QByteArray& key, TableImage& image);

// Writes what the image holds on a thread of its own; the program waits for unfinished
// writes when it ends.
void store(const QByteArray& key, const std::shared_ptr<const TableImage>& image);

// Waits until every file begun has been written.
void finishWrites();

} // namespace ImageCache
