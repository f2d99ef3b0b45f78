#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class TableImage;

// What is costly to rebuild of a table held in memory (its fields, upper-cased titles, sort
// ranks and orders) kept in files of our own under $XDG_CACHE_HOME/vantora/, named after the
// table file's contents rather than its path: a copy of unchanged tables (the hard-disk
// folder at every start) finds them again. A file is used only for the contents it was made
// from (ContentProof), each of its parts only when its checksum holds (ImageCacheFile), and the
// folder only when it is the user's alone (CacheFolder): whatever the folder holds, the tables
// show what an empty folder would. The folder may be deleted at any time.
namespace ImageCache {

QString folder();

// The description a content key binds besides the file's bytes: the layout of the cache files,
// the table's name and its fields' names and types.
QByteArray describe(const QString& table, const QStringList& fieldsWithTypes);

// Fills a fresh image of a table of `fieldCount` fields from the file of `key`; false when
// there is none or it does not fit.
bool restore(const QByteArray& key, int fieldCount, TableImage& image);

// Writes what the image holds on a thread of its own; the program waits for unfinished
// writes when it ends.
void store(const QByteArray& key, const std::shared_ptr<const TableImage>& image);

// Waits until every file begun has been written.
void finishWrites();

} // namespace ImageCache
