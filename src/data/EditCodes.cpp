#include "EditCodes.h"

#include "SearchConditions.h"
#include "Views.h"

#include <QHash>

namespace EditCodes {

namespace {
bool lookup(const QHash<QString, QString>& table, const QString& value, QString& stored) {
    auto it = table.constFind(SearchConditions::upperAsciiOnly(value));
    if (it == table.constEnd())
        return false;
    stored = it.value();
    return true;
}

// A view's edit words, each under its code: its first `letters` letters in capitals.
QHash<QString, QString> codesOf(const QStringList& words, int letters) {
    QHash<QString, QString> table;
    for (const QString& word : words)
        table.insert(SearchConditions::upperAsciiOnly(word.left(letters)), word);
    return table;
}
} // namespace

bool tipKind(const QString& value, QString& stored) {
    static const QHash<QString, QString> t = codesOf(Views::tips().editWords, 1);
    return lookup(t, value, stored);
}

bool rubric(const QString& value, QString& stored) {
    static const QHash<QString, QString> t = codesOf(Views::games().editWords, 2);
    return lookup(t, value, stored);
}

bool genre(const QString& value, QString& stored) {
    static const QHash<QString, QString> t = {
        {QStringLiteral("AC"), QStringLiteral("Actionspiel")},
        {QStringLiteral("ST"), QStringLiteral("Strategiespiel")},
        {QStringLiteral("SP"), QStringLiteral("Sportspiel")},
        {QStringLiteral("WI"), QStringLiteral("Wirtschaftssimulation")},
        {QStringLiteral("AD"), QStringLiteral("Adventure")},
        {QStringLiteral("FL"), QStringLiteral("Flugsimulation")},
        {QStringLiteral("SO"), QStringLiteral("Software")},
        {QStringLiteral("3D"), QStringLiteral("3D-Action")},
        {QStringLiteral("EC"), QStringLiteral("Echtzeit-Strategie")},
        {QStringLiteral("AU"), QStringLiteral("Aufbauspiel")},
        {QStringLiteral("WE"), QStringLiteral("Weltraumspiel")},
        {QStringLiteral("ME"), QStringLiteral("Mechspiel")},
        {QStringLiteral("RE"), QStringLiteral("Rennspiel")},
        {QStringLiteral("RO"), QStringLiteral("Rollenspiel")}};
    return lookup(t, value, stored);
}

bool nextMedium(const QString& value, QString& next) {
    const QString v = SearchConditions::upperAsciiOnly(value);
    if (v == QLatin1String("CD"))
        next = QStringLiteral("CD/DVD");
    else if (v == QLatin1String("CD/DVD"))
        next = QStringLiteral("DVD");
    else if (v == QLatin1String("DVD"))
        next = QStringLiteral("CD");
    else
        return false;
    return true;
}

} // namespace EditCodes
