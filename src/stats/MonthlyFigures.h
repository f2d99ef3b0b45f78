#pragma once

#include "IssueWalk.h"

#include <array>

// What the monthly chart shows: per calendar month the issues of the range and the rows
// counted (ratings in the games window, rows in the others), and the highest rows per issue.
class MonthlyFigures {
public:
    void reset(const IssueWalk::Result& walk);

    // Counts one row in month m; months outside 1..12 have no place and are left out.
    // Returns whether the row was counted.
    bool add(int month);

    // Rows per issue of month m (1..12); 0 when the month has no issue.
    double perIssue(int month) const;
    double rows(int month) const { return m_rows[size_t(month - 1)]; }
    double issues(int month) const { return m_issues[size_t(month - 1)]; }
    // The highest rows per issue of any month, at least 1.
    double highestPerIssue() const;

    static bool isMonth(int month) { return month >= 1 && month <= 12; }

private:
    std::array<double, 12> m_issues{};
    std::array<double, 12> m_rows{};
};
