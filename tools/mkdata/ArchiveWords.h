#pragma once

#include <array>
#include <string_view>

// The category words that the archive's fields hold.
namespace ArchiveWords {

using std::string_view_literals::operator""sv;

inline constexpr std::array kRubrics = {"Action"sv,       "Strategie"sv,  "Sport"sv,
                                        "Simulationen"sv, "Adventures"sv, "Budget"sv,
                                        "Software"sv};

enum Rubric { Action, Strategie, Sport, Simulationen, Adventures, Budget, Software };

inline constexpr std::array kGenres = {
    "Actionspiel"sv,        "Strategiespiel"sv, "Sportspiel"sv,    "Wirtschaftssimulation"sv,
    "Adventure"sv,          "Flugsimulation"sv, "Software"sv,      "3D-Action"sv,
    "Echtzeit-Strategie"sv, "Aufbauspiel"sv,    "Weltraumspiel"sv, "Mechspiel"sv,
    "Rennspiel"sv,          "Rollenspiel"sv};

enum Genre {
    ActionGame,
    StrategyGame,
    SportsGame,
    BusinessSim,
    AdventureGame,
    FlightSim,
    SoftwareGenre,
    Action3D,
    RealTimeStrategy,
    BuildingGame,
    SpaceGame,
    MechGame,
    RacingGame,
    RolePlayingGame
};
static_assert(kGenres.size() == RolePlayingGame + 1);

// Disc-content categories as the editors typed them: the search words, a few longer forms that
// still contain them, and some that belong to no search word.
enum DiscKind {
    Demo,
    PlayableDemo,
    Extras,
    Mods,
    Patch,
    Program,
    Driver,
    DriverUpdate,
    Video,
    Videos,
    FullVersion,
    Bonus,
    AddOn,
    Misc
};
inline constexpr std::array kDiscCategories = {
    "Demo"sv,        "Spielbare Demo"sv, "Extras"sv,         "Mods"sv,     "Patch"sv,
    "Programm"sv,    "Treiber"sv,        "Treiber-Update"sv, "Video"sv,    "Videos"sv,
    "Vollversion"sv, "Bonus"sv,          "Add-On"sv,         "Sonstiges"sv};
// Items per issue of each kind, in parts of a thousand.
inline constexpr std::array kDiscWeights = {280, 50, 100, 70, 130, 90, 40,
                                            15,  60, 20,  12, 35,  20, 30};

inline constexpr std::array kTipKinds = {"Cheat"sv, "Kurztipp"sv, "Lösung"sv, "Taktik"sv};
inline constexpr std::array kTipWeights = {30, 40, 15, 15};

inline constexpr std::array kMedia = {"CD"sv, "DVD"sv, "CD/DVD"sv};
inline constexpr int kFirstDvdYear = 2000;

static_assert(kDiscCategories.size() == kDiscWeights.size());
static_assert(kTipKinds.size() == kTipWeights.size());
static_assert(kDiscCategories.size() == Misc + 1);

} // namespace ArchiveWords
