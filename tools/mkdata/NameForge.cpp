#include "NameForge.h"

#include <array>
#include <string_view>

namespace NameForge {

namespace {

using namespace std::string_view_literals;

constexpr std::array kStemHeads = {"Kry"sv, "Var"sv,  "Zor"sv, "Tal"sv, "Drak"sv, "Skel"sv,
                                   "Vel"sv, "Bra"sv,  "Gor"sv, "Nex"sv, "Quil"sv, "Ryn"sv,
                                   "Fen"sv, "Thar"sv, "Yor"sv, "Eld"sv, "Sar"sv,  "Wen"sv,
                                   "Hal"sv, "Bel"sv,  "Kor"sv, "Zan"sv, "Ith"sv,  "Mer"sv};
constexpr std::array kStemLinks = {"a"sv, "e"sv, "o"sv, "ri"sv, "an"sv, "el"sv, "u"sv};
constexpr std::array kStemTails = {"vek"sv,  "heim"sv, "anis"sv, "gard"sv, "ul"sv,   "ara"sv,
                                   "olt"sv,  "mir"sv,  "uun"sv,  "eth"sv,  "orin"sv, "ova"sv,
                                   "enor"sv, "abor"sv, "ist"sv,  "ondo"sv, "unt"sv,  "ilon"sv};

constexpr std::array kCompoundHeads = {"Sternen"sv, "Eisen"sv,  "Schatten"sv, "Nebel"sv,
                                       "Feuer"sv,   "Donner"sv, "Kristall"sv, "Drachen"sv,
                                       "Stahl"sv,   "Frost"sv,  "Glut"sv,     "Runen"sv,
                                       "Kupfer"sv,  "Aschen"sv, "Blitz"sv,    "Silber"sv};
constexpr std::array kCompoundTails = {"winter"sv, "klinge"sv,   "sturm"sv, "tor"sv,  "fall"sv,
                                       "jäger"sv,  "krone"sv,    "wacht"sv, "flug"sv, "front"sv,
                                       "hafen"sv,  "schmiede"sv, "pfad"sv,  "zorn"sv, "glanz"sv};

constexpr std::array kSubtitles = {
    "Die Schattenfeste"sv,     "Der letzte Wächter"sv,   "Im Reich der Kristalle"sv,
    "Das verlorene Amulett"sv, "Die Rückkehr"sv,         "Das Siegel der Zeit"sv,
    "Der gläserne Turm"sv,     "Die vergessene Insel"sv, "Zeit der Asche"sv,
    "Tage des Zorns"sv,        "Das dunkle Konzil"sv,    "Aufbruch"sv};
constexpr std::array kSubtitlesWithPlace = {"Das Erbe von "sv, "Der Fluch von "sv, "Aufstand in "sv,
                                            "Die Schlacht um "sv, "Jenseits von "sv};
constexpr std::array kSequels = {" II"sv, " III"sv, " 2"sv, " 3"sv, " Gold"sv, " Deluxe"sv};

constexpr std::array kTroublePlaces = {"Zauberwald"sv,   "Orbit"sv,    "Maschinenraum"sv,
                                       "Hafenviertel"sv, "Bergwerk"sv, "Gruselschloss"sv,
                                       "Hühnerstall"sv,  "Kaufhaus"sv};
constexpr std::array kUmlautOpenings = {"Über den Wolken von "sv, "Überfall auf "sv};
constexpr std::array kStylePrefixes = {"e-"sv, "i-"sv, "x-"sv};

constexpr std::array kSportHeads = {"Bolzplatz"sv, "Rasen"sv, "Puck"sv, "Korb"sv,
                                    "Schanzen"sv,  "Tor"sv,   "Netz"sv, "Loipen"sv};
constexpr std::array kSportTails = {"manager"sv, "meister"sv, "profi"sv, "champion"sv,
                                    "liga"sv,    "cup"sv,     "held"sv,  "fieber"sv};
constexpr std::array kSportDisciplines = {"Fußball"sv, "Eishockey"sv,   "Basketball"sv,
                                          "Tennis"sv,  "Skispringen"sv, "Handball"sv,
                                          "Golf"sv};
constexpr std::array kRacingHeads = {"Asphalt"sv, "Kurven"sv, "Boxenstopp"sv,
                                     "Turbo"sv,   "Pisten"sv, "Vollgas"sv};
constexpr std::array kRacingTails = {"rallye"sv, "fieber"sv, "held"sv,
                                     "profi"sv,  "cup"sv,    "jagd"sv};
constexpr std::array kRacingDisciplines = {"Racing"sv, "Rallye"sv, "Motocross"sv, "Kart"sv, "GT"sv};

constexpr std::array kProgramHeads = {"Bild"sv,    "Klang"sv,  "Noten"sv,   "Foto"sv,  "Reise"sv,
                                      "Heim"sv,    "Lern"sv,   "Daten"sv,   "Pixel"sv, "Karten"sv,
                                      "Vokabel"sv, "Garten"sv, "Familien"sv};
constexpr std::array kProgramTails = {"werk"sv, "studio"sv, "profi"sv,   "planer"sv, "manager"sv,
                                      "box"sv,  "atlas"sv,  "trainer"sv, "knecht"sv};
constexpr std::array kProgramVersions = {" 2.0"sv,  " 3.1"sv,    " 4"sv,   " 2001"sv,
                                         " Plus"sv, " Deluxe"sv, " 1.5"sv, " 99"sv};

constexpr std::array kStudios = {"Brakelsoft"sv,
                                 "Orvil Games"sv,
                                 "Quarzlicht"sv,
                                 "Vexagon Studios"sv,
                                 "Tarnhelm Interactive"sv,
                                 "Zinnoberwerk"sv,
                                 "Nebelhorn Digital"sv,
                                 "Kupferkessel"sv,
                                 "Grauwald Software"sv,
                                 "Mondfalter"sv,
                                 "Eisfalter Studios"sv,
                                 "Pixelmühle"sv,
                                 "Sturmkante"sv,
                                 "Lindwurm Entertainment"sv,
                                 "Feuerquarz"sv,
                                 "Haldor Interactive"sv,
                                 "Skarn Digital"sv,
                                 "Wolkenbruch Games"sv,
                                 "Fjordlicht"sv,
                                 "Krähenfels"sv,
                                 "Taliant Software"sv,
                                 "Morvex"sv,
                                 "Ostwind Studios"sv,
                                 "Glimmerstein"sv,
                                 "Rabenkeil"sv,
                                 "Silbermöwe Games"sv,
                                 "Drosselbart Digital"sv,
                                 "Umbrix"sv,
                                 "Zentaurix"sv,
                                 "Varnholt Software"sv,
                                 "Kesselflicker"sv,
                                 "Borvin Studios"sv,
                                 "Glutkern"sv,
                                 "Tüftelwerk"sv};
constexpr std::array kPublishers = {"Varga Media"sv,
                                    "Tellurion Publishing"sv,
                                    "Halvar Interactive"sv,
                                    "Brennholz Verlag"sv,
                                    "Quintor"sv,
                                    "Solvane"sv,
                                    "Merkurion"sv,
                                    "Arvana Software"sv};

std::string stem(SplitMix64& rng) {
    std::string s(rng.pick(kStemHeads));
    if (rng.chance(40))
        s += rng.pick(kStemLinks);
    s += rng.pick(kStemTails);
    return s;
}

std::string subtitle(SplitMix64& rng) {
    if (rng.chance(35))
        return std::string(rng.pick(kSubtitlesWithPlace)) + stem(rng);
    return std::string(rng.pick(kSubtitles));
}

// Lower-cases the ASCII capitals of a title styled in small letters, such as "frostwacht".
std::string styledLower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

} // namespace

std::string compound(SplitMix64& rng) {
    std::string s(rng.pick(kCompoundHeads));
    s += rng.pick(kCompoundTails);
    return s;
}

std::string gameTitle(SplitMix64& rng) {
    enum Shape { Plain, Colon, Sequel, Dash, Trouble, Above, Wasteland, Lower, Prefixed };
    static constexpr std::array kShapeWeights = {150, 300, 200, 150, 20, 30, 15, 55, 80};
    std::string base = rng.chance(60) ? stem(rng) : compound(rng);
    switch (rng.weighted(kShapeWeights)) {
    case Plain:
        return base;
    case Colon:
        return base + ": " + subtitle(rng);
    case Sequel:
        return base + std::string(rng.pick(kSequels));
    case Dash:
        return base + " - " + subtitle(rng);
    case Trouble:
        if (rng.chance(50))
            return "Ärger im Schloss " + stem(rng);
        return "Ärger im " + std::string(rng.pick(kTroublePlaces)) +
               (rng.chance(50) ? std::string(rng.pick(kSequels)) : std::string());
    case Above:
        return std::string(rng.pick(kUmlautOpenings)) + stem(rng);
    case Wasteland:
        return "Ödland: " + std::string(rng.pick(kSubtitlesWithPlace)) + stem(rng);
    case Lower:
        return styledLower(base);
    default:
        return std::string(rng.pick(kStylePrefixes)) + base;
    }
}

std::string sportTitle(SplitMix64& rng, int year, bool racing) {
    std::string s;
    if (rng.chance(50)) {
        s = racing ? rng.pick(kRacingHeads) : rng.pick(kSportHeads);
        s += racing ? rng.pick(kRacingTails) : rng.pick(kSportTails);
    } else {
        s = stem(rng) + " " +
            std::string(racing ? rng.pick(kRacingDisciplines) : rng.pick(kSportDisciplines));
    }
    if (rng.chance(70)) {
        const int season = year + 1;
        s += ' ';
        s += season < 2000 ? std::to_string(season % 100) : std::to_string(season);
    }
    return s;
}

std::string programTitle(SplitMix64& rng) {
    std::string s(rng.pick(kProgramHeads));
    s += rng.pick(kProgramTails);
    s += rng.pick(kProgramVersions);
    return s;
}

std::string maker(SplitMix64& rng) {
    std::string s(rng.pick(kStudios));
    if (rng.chance(45)) {
        s += '/';
        s += rng.pick(kPublishers);
    }
    return s;
}

} // namespace NameForge
