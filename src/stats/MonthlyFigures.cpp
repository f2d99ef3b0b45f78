#include "MonthlyFigures.h"

#include <algorithm>

void MonthlyFigures::reset(const IssueWalk::Result& walk) {
    m_issues = walk.issues;
    m_rows.fill(0);
}

bool MonthlyFigures::add(int month) {
    if (!isMonth(month))
        return false;
    m_rows[size_t(month - 1)] += 1;
    return true;
}

double MonthlyFigures::highestPerIssue() const {
    // Counts only grow during a walk, so the highest along it is the highest at its end.
    double highest = 1;
    for (int month = 1; month <= 12; ++month)
        highest = std::max(highest, perIssue(month));
    return highest;
}

double MonthlyFigures::perIssue(int month) const {
    if (!isMonth(month))
        return 0;
    const double issues = m_issues[size_t(month - 1)];
    return issues > 0 ? m_rows[size_t(month - 1)] / issues : 0;
}
