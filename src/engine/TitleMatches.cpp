#include "TitleMatches.h"

#include "Connection.h"
#include "SqlFunctions.h"
#include "TableImage.h"

#include <algorithm>

namespace TitleMatches {

QList<TitleMatch> find(Connection& table, const QString& titleField, const QString& categoryField,
                       const QString& issueField, const QString& title) {
    const int titleIndex = table.fieldIndex(titleField);
    const int categoryIndex = table.fieldIndex(categoryField);
    const int issueIndex = table.fieldIndex(issueField);
    if (titleIndex < 0 || categoryIndex < 0 || issueIndex < 0)
        return {};
    // The table held in memory answers from its upper-cased titles, without a pass over the
    // file; the wanted title is folded by the same rule.
    const std::shared_ptr<TableImage> image = table.image({titleIndex, categoryIndex, issueIndex});
    std::vector<uint32_t> found =
        image->slotsWithUpperText(titleIndex, SqlFunctions::upperUtf8(title.toUtf8()));
    const TableImage::Values& issues = image->values(issueIndex);
    const TableImage::Values& categories = image->values(categoryIndex);
    // Newest issue first (issue texts sort by time; an empty issue last), stored order within
    // one issue: the slots come ascending, and the sort keeps that order among equals.
    std::stable_sort(found.begin(), found.end(), [&](uint32_t a, uint32_t b) {
        const bool nullA = issues.types[a] == TableImage::Null;
        const bool nullB = issues.types[b] == TableImage::Null;
        if (nullA != nullB)
            return nullB;
        return issues.texts.at(a) > issues.texts.at(b);
    });
    QList<TitleMatch> matches;
    matches.reserve(qsizetype(found.size()));
    for (uint32_t slot : found)
        matches.append({QString::fromUtf8(categories.texts.at(slot)),
                        QString::fromUtf8(issues.texts.at(slot))});
    return matches;
}

} // namespace TitleMatches
