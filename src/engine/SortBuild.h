#pragma once

#include "TableImage.h"
#include "cache/ContentProof.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <vector>

// Sort ranks and orders of a table built on a thread of their own, through a connection of
// their own, for an image that will ask for them later: a click on a heading or the rows of a
// first start then find them ready instead of reading and sorting the whole table.
namespace SortBuild {

struct Request {
    QString databaseFile;
    QString table;
    QStringList fields;
    QString rowIdName;
    // The state of the file when the contents of the image the parts are for were proven; the
    // build is dropped when the file is another or was written by the time it is read.
    ContentProof::FileState fileState;
    std::vector<int> rankFields;
    std::vector<TableImage::SortSpec> orders;
    // Sorts over every row whose first `headRows` rows are read (TableImage::headOfAll).
    std::vector<TableImage::SortSpec> heads;
    uint32_t headRows = 0;
};

// The parts asked for, in an image of their own that holds no values, for TableImage::adopt.
// Runs when `turn` (BuildTurns) has come. Null when `cancelled` was set, when the file changed,
// or when it cannot be read: what was asked for is then built when first needed.
std::shared_ptr<TableImage> run(const Request& request, uint64_t turn,
                                const std::atomic<bool>& cancelled);

} // namespace SortBuild
