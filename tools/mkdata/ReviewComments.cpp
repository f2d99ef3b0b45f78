#include "ReviewComments.h"

#include <array>
#include <string_view>

namespace {

using namespace std::string_view_literals;

constexpr std::array kTopFindings = {
    "Starke Atmosphäre und eine packende Story."sv, "Grafik und Sound auf höchstem Niveau."sv,
    "Riesiger Umfang, durchweg tolle Missionen."sv, "Die KI fordert selbst alte Hasen."sv,
    "Spielerisch und technisch ein großer Wurf."sv};
constexpr std::array kTopVerdicts = {"Ein Pflichtkauf."sv, "Die neue Referenz im Genre."sv,
                                     "Fesselt wochenlang."sv, "Besser geht es kaum."sv};

constexpr std::array kGoodFindings = {
    "Schöne Grafik, etwas kurze Kampagne."sv, "Gute Ideen, kleine Macken bei der Steuerung."sv,
    "Abwechslungsreich, aber zu leicht."sv, "Der Mehrspielermodus reißt vieles heraus."sv,
    "Solide Kost mit kleinen Schwächen."sv};
constexpr std::array kGoodVerdicts = {"Für Genre-Fans empfehlenswert."sv, "Macht lange Spaß."sv,
                                      "Gute Unterhaltung, aber kein Meilenstein."sv};

constexpr std::array kFairFindings = {
    "Grafisch stark, spielerisch eher mau."sv, "Nette Idee, mäßig umgesetzt."sv,
    "Altbackene Grafik, solides Spielprinzip."sv, "Nach ein paar Stunden wird es eintönig."sv,
    "Die Steuerung ist hakelig."sv};
constexpr std::array kFairVerdicts = {"Nur für Hartgesottene."sv, "Durchschnitt ohne Höhepunkte."sv,
                                      "Kurzweilig, aber schnell durchgespielt."sv};

constexpr std::array kPoorFindings = {
    "Schwache KI und viele Abstürze."sv, "Veraltete Technik, langweilige Levels."sv,
    "Das Spielprinzip zündet nie."sv, "Die Steuerung ist eine Zumutung."sv};
constexpr std::array kPoorVerdicts = {"Finger weg!"sv, "Ärgerlich unausgegoren."sv,
                                      "Eine einzige Enttäuschung."sv};

constexpr std::array kProgramNotes = {"Praktisches Werkzeug für den Alltag."sv,
                                      "Übersichtlich und schnell."sv, "Nützlich, aber zu teuer."sv,
                                      "Für Einsteiger gut geeignet."sv,
                                      "Viele Funktionen, umständliche Bedienung."sv};
constexpr std::array kUnratedNotes = {"Ohne Wertung: Die Testversion war unvollständig."sv,
                                      "Vorabversion, die Wertung folgt."sv,
                                      "Keine Wertung, es lag nur die englische Fassung vor."sv};

template <class Findings, class Verdicts>
std::string finding(SplitMix64& rng, const Findings& findings, const Verdicts& verdicts) {
    std::string s(rng.pick(findings));
    if (rng.chance(55)) {
        s += ' ';
        s += rng.pick(verdicts);
    }
    return s;
}

} // namespace

std::string reviewComment(SplitMix64& rng, std::optional<int> rating, bool software) {
    if (software)
        return std::string(rng.pick(kProgramNotes));
    if (!rating)
        return std::string(rng.pick(kUnratedNotes));
    if (*rating >= 85)
        return finding(rng, kTopFindings, kTopVerdicts);
    if (*rating >= 70)
        return finding(rng, kGoodFindings, kGoodVerdicts);
    if (*rating >= 50)
        return finding(rng, kFairFindings, kFairVerdicts);
    return finding(rng, kPoorFindings, kPoorVerdicts);
}
