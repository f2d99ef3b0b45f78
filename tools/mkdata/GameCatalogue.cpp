#include "GameCatalogue.h"

#include "ArchiveWords.h"
#include "IssueCalendar.h"
#include "NameForge.h"

#include <array>

namespace {

using namespace ArchiveWords;

// The stand-in number of games reviewed in an issue outside the archive, or in an archive issue
// without reviews, when another table refers to one of them.
constexpr int64_t kStandInPool = 60;

enum Stream : uint64_t { OriginalStream = 1, ReleaseStream = 2 };

// Rubric shares of newly released titles (Budget: cheap new titles).
constexpr std::array kRubricWeights = {24, 20, 12, 12, 14, 4, 6};
static_assert(kRubricWeights.size() == kRubrics.size());

// The genre the editors give a title of the rubric.
Genre genreFor(SplitMix64& rng, int rubric) {
    static constexpr std::array kAction = {ActionGame, ActionGame, Action3D,
                                           Action3D,   Action3D,   MechGame};
    static constexpr std::array kStrategy = {StrategyGame, RealTimeStrategy, RealTimeStrategy,
                                             BuildingGame, BusinessSim};
    static constexpr std::array kSport = {SportsGame, SportsGame, RacingGame};
    static constexpr std::array kSimulation = {FlightSim, SpaceGame, MechGame, RacingGame,
                                               BusinessSim};
    static constexpr std::array kAdventure = {AdventureGame, AdventureGame, RolePlayingGame,
                                              RolePlayingGame};
    static constexpr std::array kAnyGame = {
        ActionGame, StrategyGame, SportsGame,       BusinessSim,  AdventureGame,
        FlightSim,  Action3D,     RealTimeStrategy, BuildingGame, SpaceGame,
        MechGame,   RacingGame,   RolePlayingGame};
    switch (rubric) {
    case Action:
        return rng.pick(kAction);
    case Strategie:
        return rng.pick(kStrategy);
    case Sport:
        return rng.pick(kSport);
    case Simulationen:
        return rng.pick(kSimulation);
    case Adventures:
        return rng.pick(kAdventure);
    case Software:
        return SoftwareGenre;
    default:
        return rng.pick(kAnyGame);
    }
}

} // namespace

GameCatalogue::GameCatalogue(uint64_t seed, std::vector<int64_t> reviewsPerIssue)
    : m_seed(seed), m_reviews(std::move(reviewsPerIssue)) {}

int64_t GameCatalogue::reviewsIn(int issue) const {
    return issue >= 0 && issue < int(m_reviews.size()) ? m_reviews[issue] : 0;
}

int64_t GameCatalogue::poolSize(int issue) const {
    const int64_t n = reviewsIn(issue);
    return n > 0 ? n : kStandInPool;
}

CatalogueGame GameCatalogue::original(int issue, int64_t k) const {
    SplitMix64 rng(mixKeys({m_seed, OriginalStream, uint64_t(issue), uint64_t(k)}));
    CatalogueGame g;
    g.rubric = rng.weighted(kRubricWeights);
    const Genre genre = genreFor(rng, g.rubric);
    g.genre = kGenres[genre];
    if (g.rubric == Software)
        g.title = NameForge::programTitle(rng);
    else if (genre == SportsGame || genre == RacingGame)
        g.title = NameForge::sportTitle(rng, IssueCalendar::yearOf(issue), genre == RacingGame);
    else
        g.title = NameForge::gameTitle(rng);
    g.maker = NameForge::maker(rng);
    return g;
}

CatalogueGame GameCatalogue::reviewed(int issue, int64_t k) const {
    SplitMix64 rng(mixKeys({m_seed, ReleaseStream, uint64_t(issue), uint64_t(k)}));
    if (rng.chance(6)) {
        const int earlier = issue - rng.range(12, 30);
        CatalogueGame g = original(earlier, int64_t(rng.below(uint64_t(poolSize(earlier)))));
        if (g.rubric != Software) {
            g.rubric = Budget;
            g.reRelease = true;
            return g;
        }
    }
    return original(issue, k);
}

CatalogueGame GameCatalogue::reviewedBetween(SplitMix64& rng, int first, int last) const {
    // Programs get no demos or tips; a few draws all but always find a game.
    CatalogueGame g;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int issue = rng.range(first, last);
        g = reviewed(issue, int64_t(rng.below(uint64_t(poolSize(issue)))));
        if (g.rubric != ArchiveWords::Software)
            break;
    }
    return g;
}
