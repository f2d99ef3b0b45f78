#include "IssueCalendar.h"

#include "Random.h"

#include <cstdio>

namespace IssueCalendar {

namespace {
constexpr int kFirstMonthNumber = 1997 * 12 + (10 - 1); // months since year 0, for 1997/10

int monthNumber(int index) {
    return kFirstMonthNumber + index;
}
} // namespace

int yearOf(int index) {
    return monthNumber(index) / 12;
}

int monthOf(int index) {
    return monthNumber(index) % 12 + 1;
}

std::string text(int index) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d/%02d", yearOf(index), monthOf(index));
    return buf;
}

std::vector<int64_t> spread(int64_t total, uint64_t seed) {
    SplitMix64 rng(seed);
    std::vector<int64_t> cumulative(kIssueCount + 1, 0);
    for (int i = 0; i < kIssueCount; ++i)
        cumulative[i + 1] = cumulative[i] + rng.range(85, 115);
    const int64_t weightSum = cumulative[kIssueCount];
    std::vector<int64_t> parts(kIssueCount);
    for (int i = 0; i < kIssueCount; ++i)
        parts[i] = total * cumulative[i + 1] / weightSum - total * cumulative[i] / weightSum;
    return parts;
}

} // namespace IssueCalendar
