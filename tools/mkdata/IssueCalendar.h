#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The monthly issues of the archive, 1997/10 to 2002/06, numbered from 0. Indexes outside that
// range name the issues before and after it (the games that tips and demos may refer to).
namespace IssueCalendar {

constexpr int kIssueCount = 57;

int yearOf(int index);
int monthOf(int index);

// The seven-character issue text "YYYY/MM".
std::string text(int index);

// Splits `total` rows over the issues in proportion to weights that vary a little from issue to
// issue; the parts add up to `total` exactly.
std::vector<int64_t> spread(int64_t total, uint64_t seed);

} // namespace IssueCalendar
