#include "ArchiveGenerator.h"

#include "Random.h"
#include "TableWriter.h"

#include <array>
#include <cstdio>
#include <vector>

namespace {

using Words = std::vector<std::string>;

// The magazine's issues, 1997/10 to 2002/06.
std::vector<std::string> issues() {
    std::vector<std::string> out;
    for (int y = 1997, m = 10; y < 2002 || (y == 2002 && m <= 6);) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04d/%02d", y, m);
        out.emplace_back(buf);
        if (++m == 13)
            m = 1, ++y;
    }
    return out;
}

// ---- invented names ------------------------------------------------------------------

const Words kSyllables = {"Zar", "kon", "Vel", "dra", "Mor", "gath", "Ty", "rion", "Quo", "lix",
                          "Bra", "vox", "Nim", "bus", "Or", "thal", "Ka", "lum", "Syr", "ven",
                          "Ul", "dor", "Xe", "nar", "Gor", "mek", "Lu", "mara", "Fen", "trix"};
const Words kNouns = {"Legion", "Fahrt", "Reich", "Wacht", "Jagd", "Front", "Ritter", "Piloten",
                      "Kommando", "Festung", "Allianz", "Chroniken", "Rallye", "Liga", "Manager",
                      "Imperium", "Expedition", "Arena", "Sektor", "Kolonie"};
const Words kAdjectives = {"Eiserne", "Dunkle", "Stählerne", "Verlorene", "Letzte", "Goldene",
                           "Wilde", "Schnelle", "Ewige", "Geheime"};
const Words kSubtitles = {": Die Rückkehr", " II", " 3", ": Gold Edition", " 2000",
                          ": Das Erwachen", ": Ärger im All", " Deluxe", ": Neue Welten",
                          " - Der Auftrag"};
const Words kUmlautTitles = {"Über den Wolken von ", "Ärger in ", "Öl für ", "Übermacht: ",
                             "Äonen von "};
const Words kStudioEnds = {" Interactive", " Soft", " Games", " Studios", " Entertainment",
                           " Software", " Digital", " Spielewerk"};

std::string inventedName(Random& r) {
    std::string s = r.pick(kSyllables);
    s += r.pick(kSyllables);
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    s[0] = char(std::toupper(static_cast<unsigned char>(s[0])));
    return s;
}

std::string gameTitle(Random& r) {
    std::string t;
    switch (r.below(6)) {
    case 0:
        t = inventedName(r);
        break;
    case 1:
        t = inventedName(r) + " " + r.pick(kNouns);
        break;
    case 2:
        t = r.pick(kAdjectives) + " " + r.pick(kNouns);
        break;
    case 3:
        t = r.pick(kNouns) + " von " + inventedName(r);
        break;
    case 4:
        t = r.pick(kUmlautTitles) + inventedName(r);
        break;
    default:
        t = inventedName(r) + r.pick(kSubtitles);
        break;
    }
    if (r.chance(4)) // a few titles as the publisher writes them, in small letters
        for (char& c : t)
            c = char(std::tolower(static_cast<unsigned char>(c)));
    return t;
}

// ---- the games table -----------------------------------------------------------------

struct Rubric {
    const char* word;
    Words genres;
    int weight;
};

const std::array<Rubric, 7> kRubrics = {{
    {"Action", {"Actionspiel", "3D-Action", "Weltraumspiel", "Mechspiel"}, 26},
    {"Strategie", {"Strategiespiel", "Echtzeit-Strategie", "Aufbauspiel"}, 20},
    {"Sport", {"Sportspiel", "Rennspiel"}, 14},
    {"Simulationen", {"Flugsimulation", "Wirtschaftssimulation", "Rennspiel"}, 12},
    {"Adventures", {"Adventure", "Rollenspiel"}, 14},
    {"Budget", {"Actionspiel", "Strategiespiel", "Adventure", "Sportspiel"}, 8},
    {"Software", {"Software"}, 6},
}};

const Rubric& pickRubric(Random& r) {
    int total = 0;
    for (const Rubric& k : kRubrics)
        total += k.weight;
    int x = r.below(total);
    for (const Rubric& k : kRubrics) {
        if (x < k.weight)
            return k;
        x -= k.weight;
    }
    return kRubrics[0];
}

const Words kPraise = {"Grafisch stark", "Spielerisch ausgereift", "Packende Atmosphäre",
                       "Hervorragende Steuerung", "Viel Abwechslung", "Gelungener Mehrspielermodus",
                       "Stimmungsvolle Musik", "Durchdachtes Missionsdesign"};
const Words kBlame = {"spielerisch eher mau", "auf Dauer eintönig", "mit zähem Einstieg",
                      "leider viel zu kurz", "mit hakeliger Steuerung", "technisch veraltet",
                      "mit schwacher KI", "aber teuer"};
const Words kVerdicts = {"Für Genre-Fans ein Muss.", "Nur etwas für Geduldige.",
                         "Unser Tipp des Monats.", "Solide Kost für Zwischendurch.",
                         "Ein Fall für die Grabbelkiste.", "Probieren Sie die Demo!"};

std::string comment(Random& r) {
    return r.pick(kPraise) + ", " + r.pick(kBlame) + ". " + r.pick(kVerdicts);
}

std::string studio(Random& r) { return inventedName(r) + r.pick(kStudioEnds); }

int rating(Random& r) {
    // Mostly between 50 and 90, a few flops and top marks.
    int v = 40 + r.below(25) + r.below(25) + r.below(15);
    if (r.chance(5))
        v = r.between(5, 45);
    if (r.chance(2))
        v = r.between(90, 100);
    return v > 100 ? 100 : v;
}

// ---- disc contents and tips ----------------------------------------------------------

const Words kDiscKinds = {"Demo", "Demo", "Demo", "Spielbare Demo", "Demo (Mehrspieler)",
                          "Extras", "Mods", "Mods", "Patch", "Patch", "Programm",
                          "Programm-Patch", "Treiber", "Video", "Video-Vorschau",
                          "Vollversion", "Bonus", "Sonstiges", "Hintergrundbilder"};
const Words kTools = {"Packprogramm", "Grafiktreiber", "Soundtreiber", "Bildbetrachter",
                      "Virenscanner", "Brennprogramm", "Systeminfo", "Mausbeschleuniger"};
const Words kTipKinds = {"Cheat", "Kurztipp", "Lösung", "Taktik"};

long perIssue(long total, size_t issueCount, size_t index) {
    // Spread `total` evenly: issue i gets the difference of the running shares.
    const long before = long(double(total) * double(index) / double(issueCount));
    const long upTo = long(double(total) * double(index + 1) / double(issueCount));
    return upTo - before;
}

} // namespace

std::string generateArchive(const ArchiveOptions& o) {
    Random r(o.seed);
    const std::vector<std::string> allIssues = issues();
    const size_t n = allIssues.size();

    TableWriter games, disc, tips;
    std::string err;
    if (!(err = games.begin(o.outDir, "GameData",
                            "TITEL TEXT, Rubrik TEXT, Genre TEXT, HERSTELLER TEXT, WERTUNG INTEGER, "
                            "Ausgabe TEXT, KOMMENTAR TEXT"))
             .empty() ||
        !(err = disc.begin(o.outDir, "CDData", "TITEL TEXT, Ausgabe TEXT, Art TEXT, Medium TEXT"))
             .empty() ||
        !(err = tips.begin(o.outDir, "TipsData", "TITEL TEXT, Ausgabe TEXT, Art TEXT, COUNTER INTEGER"))
             .empty())
        return err;

    std::vector<std::string> reviewed; // titles reviewed so far, for demos and tips
    std::vector<std::string> upcoming; // titles whose demo came first
    for (size_t i = 0; i < n; ++i) {
        const std::string& issue = allIssues[i];
        const int year = std::stoi(issue.substr(0, 4));

        const long gameCount = o.games >= 0 ? perIssue(o.games, n, i) : 55 + r.below(11);
        for (long k = 0; k < gameCount; ++k) {
            std::string title;
            if (!upcoming.empty() && r.chance(30)) {
                title = upcoming.back();
                upcoming.pop_back();
            } else {
                title = gameTitle(r);
            }
            const Rubric& rub = pickRubric(r);
            const bool rated = !r.chance(3);
            if (!games.row({title, rub.word, r.pick(rub.genres), studio(r),
                            rated ? std::to_string(rating(r)) : std::string(), issue, comment(r)},
                           {false, false, false, false, !rated, false, false}))
                return games.error();
            if (reviewed.size() < 5000)
                reviewed.push_back(title);
            else
                reviewed[size_t(r.below(5000))] = title;
        }

        const long discCount = o.disc >= 0 ? perIssue(o.disc, n, i) : 140 + r.below(21);
        for (long k = 0; k < discCount; ++k) {
            const std::string& kind = r.pick(kDiscKinds);
            std::string title;
            if (kind.find("reiber") != std::string::npos || kind == "Programm")
                title = r.pick(kTools) + " " + std::to_string(r.between(1, 9)) + "." +
                        std::to_string(r.below(10));
            else if (!reviewed.empty() && r.chance(60))
                title = r.pick(reviewed);
            else {
                title = gameTitle(r);
                if (kind.find("Demo") != std::string::npos && upcoming.size() < 200)
                    upcoming.push_back(title); // reviewed in a later issue
            }
            std::string medium = "CD";
            if (year >= 2000) {
                const int m = r.below(10);
                medium = m < 5 ? "CD" : m < 8 ? "DVD" : "CD/DVD";
            }
            if (!disc.row({title, issue, kind, medium}, {false, false, false, false}))
                return disc.error();
        }

        const long tipCount = o.tips >= 0 ? perIssue(o.tips, n, i) : 70 + r.below(21);
        for (long k = 0; k < tipCount; ++k) {
            const std::string title = reviewed.empty() ? gameTitle(r) : r.pick(reviewed);
            if (!tips.row({title, issue, r.pick(kTipKinds), std::to_string(r.between(1, 40))},
                          {false, false, false, false}))
                return tips.error();
        }
    }
    if (!(err = games.finish()).empty() || !(err = disc.finish()).empty() ||
        !(err = tips.finish()).empty())
        return err;
    return {};
}
