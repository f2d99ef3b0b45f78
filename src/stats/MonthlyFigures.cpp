#include "MonthlyFigures.h"

void MonthlyFigures::reset(const IssueWalk::Result& walk) {
    m_issues = walk.issues;
    m_rows.fill(0);
    m_highest = 1;
}

bool MonthlyFigures::add(int month) {
    if (!isMonth(month))
        return false;
    m_rows[size_t(month - 1)] += 1;
    const double p = perIssue(month);
    if (p > m_highest)
        m_highest = p;
    return true;
}

double MonthlyFigures::perIssue(int month) const {
    if (!isMonth(month))
        return 0;
    const double issues = m_issues[size_t(month - 1)];
    return issues > 0 ? m_rows[size_t(month - 1)] / issues : 0;
}
