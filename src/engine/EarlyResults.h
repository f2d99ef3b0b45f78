#pragma once

#include "LocalSqlTranslator.h"

#include <QString>
#include <QStringList>
#include <future>
#include <memory>
#include <optional>
#include <vector>

// The first rows of a statement over every row of a table, in the statement's order, read
// from where the table's file is being copied from (a server's snapshot) while the file is
// still being written: what a first start shows before the file is there. They are the rows
// the file gives once written, so a result opened from them is the same result.
struct EarlyResult {
    QStringList fieldNames;          // the file's fields, in its order
    qint64 rowCount = 0;             // rows in the whole result
    std::vector<qint64> keys;        // the first rows' row ids
    std::vector<QStringList> values; // their field texts, a null text for NULL
};

namespace EarlyResults {

// How many first rows are read: more than any screen shows at once.
inline constexpr int kRows = 200;

// The statement's parts when it reads every row of a table in an order of its fields, the
// statements whose first rows are read early; nothing for any other.
std::optional<TranslatedStatement> overEveryRow(const QString& statement);

// Offers the result of `statement` (its whole text) as it will be read; a failed read offers
// nothing.
void offer(const QString& statement, std::shared_future<std::shared_ptr<const EarlyResult>> result);
// The result offered for `statement`, waiting for its read; null when none was offered or its
// read failed.
std::shared_ptr<const EarlyResult> find(const QString& statement);
// Withdraws every offer: the files are written, and statements read them from now on.
void clear();

} // namespace EarlyResults
