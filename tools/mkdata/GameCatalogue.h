#pragma once

#include "Random.h"

#include <cstdint>
#include <string>
#include <vector>

struct CatalogueGame {
    std::string title;
    int rubric = 0; // an ArchiveWords::Rubric
    std::string genre;
    std::string maker;
    bool reRelease = false; // a budget re-release of a game reviewed years before
};

// The games the magazine reviews, issue by issue. The k-th review of an issue is computed from
// the seed, the issue and k alone, so the disc and tips tables can name the same games (a demo
// before the review, tips after it) without the catalogue being held in memory.
class GameCatalogue {
public:
    GameCatalogue(uint64_t seed, std::vector<int64_t> reviewsPerIssue);

    int64_t reviewsIn(int issue) const;

    // The k-th game reviewed in `issue`; issues outside the archive have games of their own.
    CatalogueGame reviewed(int issue, int64_t k) const;

    // A game (not a program) reviewed in an issue drawn from [first, last].
    CatalogueGame reviewedBetween(SplitMix64& rng, int first, int last) const;

private:
    CatalogueGame original(int issue, int64_t k) const;
    int64_t poolSize(int issue) const;

    uint64_t m_seed;
    std::vector<int64_t> m_reviews;
};
