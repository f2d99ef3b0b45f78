#pragma once

#include "GameCatalogue.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct ArchiveCounts {
    int64_t games;
    int64_t disc;
    int64_t tips;

    // A realistic archive: about 60 reviews, 150 disc items and 80 tips an issue.
    static ArchiveCounts perIssueDefaults();
};

struct GameRow {
    std::string title, rubric, genre, maker;
    std::optional<int> rating;
    std::string issue, comment;
};

struct DiscRow {
    std::string title, issue, category, medium;
};

struct TipRow {
    std::string title, issue, kind;
    int counter = 0;
};

// Produces the rows of the three tables issue by issue, in the order they are stored. The same
// seed and counts always give the same rows.
class ArchiveGenerator {
public:
    ArchiveGenerator(uint64_t seed, const ArchiveCounts& counts);

    void games(const std::function<void(const GameRow&)>& emit) const;
    void disc(const std::function<void(const DiscRow&)>& emit) const;
    void tips(const std::function<void(const TipRow&)>& emit) const;

private:
    DiscRow discItem(SplitMix64& rng, int issue) const;

    uint64_t m_seed;
    std::vector<int64_t> m_discPerIssue;
    std::vector<int64_t> m_tipsPerIssue;
    GameCatalogue m_catalogue;
};
