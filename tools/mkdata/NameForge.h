#pragma once

#include "Random.h"

#include <string>

// Invented names: game and program titles, studios and publishers. Every name is put together
// from word parts, so none of them names a real product or company.
namespace NameForge {

// A game title such as "Varnheim II", "Runenklinge: Das Siegel der Zeit", "Ärger im Bergwerk".
std::string gameTitle(SplitMix64& rng);

// A sports or racing title, often with the season year, such as "Kurvenprofi 2000".
std::string sportTitle(SplitMix64& rng, int year, bool racing);

// A utility or application title, such as "Notenwerk 3.1".
std::string programTitle(SplitMix64& rng);

// "Studio" or "Studio/Publisher".
std::string maker(SplitMix64& rng);

// A German compound such as "Frostwacht", used for titles and mod names.
std::string compound(SplitMix64& rng);

} // namespace NameForge
