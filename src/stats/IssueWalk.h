#pragma once

#include <array>

// The issues of a table's range counted per calendar month: from the first issue to the
// last, both included, one month at a time.
namespace IssueWalk {

struct Range {
    int firstMonth = 0, firstYear = 0;
    int lastMonth = 0, lastYear = 0;
};

struct Result {
    std::array<double, 12> issues{}; // January..December
    int month = 0, year = 0;         // where the walk stopped
    int steps = 0;                   // months stepped over
};

// No table reaches past the year 9999, so no honest range needs more steps than this.
inline constexpr int kMaxSteps = 12 * 10000;

// A range whose months are not 1..12, whose last issue lies before its first, or that
// would take more than kMaxSteps, has no issues: the walk stands still at the first issue.
Result walk(const Range& range);

} // namespace IssueWalk
