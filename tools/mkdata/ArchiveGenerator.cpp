#include "ArchiveGenerator.h"

#include "ArchiveWords.h"
#include "IssueCalendar.h"
#include "NameForge.h"
#include "ReviewComments.h"

#include <algorithm>
#include <array>

namespace {

using namespace ArchiveWords;
using namespace std::string_view_literals;

enum Stream : uint64_t {
    GameCountStream = 11,
    DiscCountStream,
    TipCountStream,
    ReviewStream,
    DiscStream,
    TipStream
};

std::optional<int> ratingFor(SplitMix64& rng, const CatalogueGame& game) {
    if (game.rubric == Software)
        return rng.chance(70) ? std::nullopt : std::optional<int>(rng.range(55, 90));
    if (rng.chance(2))
        return std::nullopt;
    if (rng.chance(4))
        return rng.range(5, 35);
    int r = 28 + rng.range(0, 18) + rng.range(0, 18) + rng.range(0, 18) + rng.range(0, 18);
    if (game.rubric == Budget)
        r -= game.reRelease ? 5 : 12;
    return std::clamp(r, 0, 100);
}

std::string mediumFor(SplitMix64& rng, int issue, int kind) {
    if (IssueCalendar::yearOf(issue) < kFirstDvdYear)
        return std::string(kMedia[0]);
    static constexpr std::array kShares = {10, 35, 55};
    static constexpr std::array kVideoShares = {5, 60, 35};
    const bool video = kind == Video || kind == Videos;
    return std::string(kMedia[rng.weighted(video ? kVideoShares : kShares)]);
}

std::string patchName(SplitMix64& rng, const std::string& title) {
    const std::string version =
        "1." + std::to_string(rng.range(1, 3)) + std::to_string(rng.range(0, 9));
    return title + (rng.chance(70) ? " Patch " : " Update ") + version;
}

std::string extraName(SplitMix64& rng, const std::string& title) {
    static constexpr std::array kExtras = {"Zusatzkarten"sv, "Hintergrundbilder"sv,
                                           "Soundtrack"sv,   "Spielstände"sv,
                                           "Leveleditor"sv,  "Bonusmissionen"sv};
    return title + " - " + std::string(rng.pick(kExtras));
}

std::string videoName(SplitMix64& rng, const std::string& title) {
    static constexpr std::array kCuts = {" - Trailer"sv, " - Intro"sv, " - Spielszenen"sv};
    if (rng.chance(20))
        return "Making of " + title;
    return title + std::string(rng.pick(kCuts));
}

std::string driverName(SplitMix64& rng) {
    static constexpr std::array kVendors = {"Vexar"sv,   "Polytrax"sv, "Kaskadia"sv,
                                            "Nebulon"sv, "Arkon"sv,    "Voxtra"sv};
    static constexpr std::array kDevices = {"3D-Beschleuniger"sv, "Grafikkarte"sv, "Soundkarte"sv,
                                            "Lenkrad"sv,          "Gamepad"sv,     "Joystick"sv};
    return std::string(rng.pick(kVendors)) + " " + std::string(rng.pick(kDevices)) + " Treiber " +
           std::to_string(rng.range(1, 6)) + "." + std::to_string(rng.range(10, 99));
}

std::string bonusName(SplitMix64& rng, int year, const std::string& title) {
    switch (rng.range(0, 3)) {
    case 0:
        return "Heftarchiv " + std::to_string(year - 1);
    case 1:
        return "Bildschirmschoner: " + title;
    case 2:
        return "Spieleindex " + std::to_string(year);
    default:
        return "Leserbriefe und Umfrage";
    }
}

std::string miscName(SplitMix64& rng, const std::string& title) {
    switch (rng.range(0, 5)) {
    case 0:
        return "Gewinnspiel: " + title;
    case 1:
        return "Shareware-Sammlung Teil " + std::to_string(rng.range(1, 12));
    case 2:
        return "Systemcheck " + std::to_string(rng.range(1, 4)) + ".0";
    case 3:
        return "Internet-Zugang";
    case 4:
        return "Browser-Erweiterungen";
    default:
        return "Inhaltsverzeichnis";
    }
}

int tipCounter(SplitMix64& rng, int kind) {
    switch (kind) {
    case 0: // Cheat: number of codes
        return rng.range(1, 24);
    case 1: // Kurztipp
        return rng.range(1, 3);
    case 2: // Lösung: pages
        return rng.range(2, 14);
    default: // Taktik: pages
        return rng.range(1, 6);
    }
}

} // namespace

ArchiveCounts ArchiveCounts::perIssueDefaults() {
    return {60 * IssueCalendar::kIssueCount, 150 * IssueCalendar::kIssueCount,
            80 * IssueCalendar::kIssueCount};
}

ArchiveGenerator::ArchiveGenerator(uint64_t seed, const ArchiveCounts& counts)
    : m_seed(seed),
      m_discPerIssue(IssueCalendar::spread(counts.disc, mixKeys({seed, DiscCountStream}))),
      m_tipsPerIssue(IssueCalendar::spread(counts.tips, mixKeys({seed, TipCountStream}))),
      m_catalogue(seed, IssueCalendar::spread(counts.games, mixKeys({seed, GameCountStream}))) {}

void ArchiveGenerator::games(const std::function<void(const GameRow&)>& emit) const {
    GameRow row;
    for (int issue = 0; issue < IssueCalendar::kIssueCount; ++issue) {
        row.issue = IssueCalendar::text(issue);
        SplitMix64 rng(mixKeys({m_seed, ReviewStream, uint64_t(issue)}));
        for (int64_t k = 0; k < m_catalogue.reviewsIn(issue); ++k) {
            CatalogueGame game = m_catalogue.reviewed(issue, k);
            row.rating = ratingFor(rng, game);
            row.comment = reviewComment(rng, row.rating, game.rubric == Software);
            row.title = std::move(game.title);
            row.rubric = kRubrics[game.rubric];
            row.genre = std::move(game.genre);
            row.maker = std::move(game.maker);
            emit(row);
        }
    }
}

DiscRow ArchiveGenerator::discItem(SplitMix64& rng, int issue) const {
    const int kind = rng.weighted(kDiscWeights);
    DiscRow row;
    row.category = kDiscCategories[kind];
    row.medium = mediumFor(rng, issue, kind);
    switch (kind) {
    case Demo:
    case PlayableDemo: {
        // A demo comes shortly before or with the review.
        static constexpr std::array kAhead = {25, 40, 25, 10};
        const int ahead = rng.weighted(kAhead);
        row.title = m_catalogue.reviewedBetween(rng, issue + ahead, issue + ahead).title;
        break;
    }
    case Patch:
        row.title = patchName(rng, m_catalogue.reviewedBetween(rng, issue - 10, issue - 1).title);
        break;
    case Mods:
        row.title = m_catalogue.reviewedBetween(rng, issue - 20, issue - 2).title + " - " +
                    NameForge::compound(rng) + "-Mod";
        break;
    case Extras:
        row.title = extraName(rng, m_catalogue.reviewedBetween(rng, issue - 6, issue + 1).title);
        break;
    case Video:
    case Videos:
        row.title = videoName(rng, m_catalogue.reviewedBetween(rng, issue, issue + 4).title);
        break;
    case FullVersion:
        row.title = m_catalogue.reviewedBetween(rng, issue - 40, issue - 12).title;
        break;
    case AddOn:
        row.title = m_catalogue.reviewedBetween(rng, issue - 12, issue - 3).title + " - Add-On";
        break;
    case Program:
        row.title = NameForge::programTitle(rng);
        break;
    case Driver:
    case DriverUpdate:
        row.title = driverName(rng);
        break;
    case Bonus:
        row.title = bonusName(rng, IssueCalendar::yearOf(issue),
                              m_catalogue.reviewedBetween(rng, issue - 3, issue).title);
        break;
    default:
        row.title = miscName(rng, m_catalogue.reviewedBetween(rng, issue, issue + 1).title);
        break;
    }
    return row;
}

void ArchiveGenerator::disc(const std::function<void(const DiscRow&)>& emit) const {
    for (int issue = 0; issue < IssueCalendar::kIssueCount; ++issue) {
        SplitMix64 rng(mixKeys({m_seed, DiscStream, uint64_t(issue)}));
        const std::string issueText = IssueCalendar::text(issue);
        for (int64_t i = 0; i < m_discPerIssue[issue]; ++i) {
            DiscRow row = discItem(rng, issue);
            row.issue = issueText;
            emit(row);
        }
    }
}

void ArchiveGenerator::tips(const std::function<void(const TipRow&)>& emit) const {
    // Tips follow the review, most of them within a few months.
    static constexpr std::array kMonthsAfter = {8, 20, 18, 14, 10, 8, 6, 5, 4, 3, 2, 1, 1};
    TipRow row;
    for (int issue = 0; issue < IssueCalendar::kIssueCount; ++issue) {
        SplitMix64 rng(mixKeys({m_seed, TipStream, uint64_t(issue)}));
        row.issue = IssueCalendar::text(issue);
        for (int64_t i = 0; i < m_tipsPerIssue[issue]; ++i) {
            const int back = rng.weighted(kMonthsAfter);
            const int kind = rng.weighted(kTipWeights);
            row.title = m_catalogue.reviewedBetween(rng, issue - back, issue - back).title;
            row.kind = kTipKinds[kind];
            row.counter = tipCounter(rng, kind);
            emit(row);
        }
    }
}
