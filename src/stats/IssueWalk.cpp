#include "IssueWalk.h"

#include <QtGlobal>

namespace IssueWalk {

namespace {
bool isMonth(int m) {
    return m >= 1 && m <= 12;
}
} // namespace

Result walk(const Range& range) {
    Result r;
    r.month = range.firstMonth;
    r.year = range.firstYear;
    if (!isMonth(range.firstMonth) || !isMonth(range.lastMonth))
        return r;
    const qint64 span =
        (qint64(range.lastYear) - range.firstYear) * 12 + (range.lastMonth - range.firstMonth);
    if (span < 0 || span > kMaxSteps)
        return r;
    // One step per month until the last issue is reached: exactly `span` steps.
    for (; r.steps < span; ++r.steps) {
        r.issues[size_t(r.month - 1)] += 1;
        ++r.month;
        if (r.month == 13) {
            r.month = 1;
            ++r.year;
        }
    }
    r.issues[size_t(r.month - 1)] += 1;
    return r;
}

} // namespace IssueWalk
