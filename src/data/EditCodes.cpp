#include "EditCodes.h"

#include "SearchConditions.h"

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
} // namespace

bool tipKind(const QString& value, QString& stored) {
    static const QHash<QString, QString> t = {{QStringLiteral("L"), QStringLiteral("Lösung")},
                                              {QStringLiteral("T"), QStringLiteral("Taktik")},
                                              {QStringLiteral("K"), QStringLiteral("Kurztipp")},
                                              {QStringLiteral("C"), QStringLiteral("Cheat")}};
    return lookup(t, value, stored);
}

bool rubric(const QString& value, QString& stored) {
    static const QHash<QString, QString> t = {
        {QStringLiteral("AC"), QStringLiteral("Action")},
        {QStringLiteral("ST"), QStringLiteral("Strategie")},
        {QStringLiteral("SP"), QStringLiteral("Sport")},
        {QStringLiteral("SI"), QStringLiteral("Simulationen")},
        {QStringLiteral("AD"), QStringLiteral("Adventures")},
        {QStringLiteral("BU"), QStringLiteral("Budget")},
        {QStringLiteral("SO"), QStringLiteral("Software")}};
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
