#pragma once

#include <QString>

// How the statistics write their numbers.
namespace NumberText {

// The shortest decimal text with at most 15 significant digits, no trailing zeros, no
// decimal point for whole values, "." as separator.
QString general(double value);

// Times ten, to the nearest integer with exact halves to the even one, divided by ten.
double roundToTenth(double value);

// general(roundToTenth(value)).
QString tenth(double value);

// prefix + count + singular, and pluralSuffix appended unless the count is exactly 1:
// "Auswahl: 1 Spiel", "Auswahl: 0 Spiele".
QString counted(const QString& prefix, double count, const QString& singular,
                const QString& pluralSuffix);

} // namespace NumberText
