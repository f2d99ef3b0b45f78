#include "Views.h"

#include <QHash>

namespace Views {

const QList<ViewDefinition>& all() {
    static const QList<ViewDefinition> views = {
        {0,
         kGames,
         QStringLiteral("GameData.db"),
         QStringLiteral("RUBRIK"),
         true,
         kButtonTops[0],
         {QStringLiteral("TITEL"), QStringLiteral("Rubrik"), QStringLiteral("Genre"),
          QStringLiteral("HERSTELLER"), QStringLiteral("WERTUNG"), QStringLiteral("Ausgabe"),
          QStringLiteral("KOMMENTAR")},
         {QStringLiteral("Action"), QStringLiteral("Strategie"), QStringLiteral("Sport"),
          QStringLiteral("Simulationen"), QStringLiteral("Adventures"), QStringLiteral("Budget"),
          QStringLiteral("Software")},
         {QStringLiteral("Action"), QStringLiteral("Strategie"), QStringLiteral("Sport"),
          QStringLiteral("Simulationen"), QStringLiteral("Adventures"), QStringLiteral("Budget"),
          QStringLiteral("Software")},
         {QStringLiteral("Action"), QStringLiteral("Strategie"), QStringLiteral("Sport"),
          QStringLiteral("Simulationen"), QStringLiteral("Adventures"), QStringLiteral("Budget"),
          QStringLiteral("Software")},
         {{QStringLiteral("Spieletitel"), 145, QStringLiteral("TITEL")},
          {QStringLiteral("Rubrik"), 65, QStringLiteral("RUBRIK")},
          {QStringLiteral("Genre"), 90, QStringLiteral("GENRE")},
          {QStringLiteral("Entwickler/Publisher"), 120, QStringLiteral("HERSTELLER")},
          {QStringLiteral("Wert."), 35, QStringLiteral("WERTUNG")},
          {QStringLiteral("Ausgabe"), 55, QStringLiteral("AUSGABE")},
          {QStringLiteral("Kommentar"), 325, QStringLiteral("KOMMENTAR")}}},
        {1,
         kDisc,
         QStringLiteral("CDData.db"),
         QStringLiteral("ART"),
         false,
         kButtonTops[1],
         {QStringLiteral("TITEL"), QStringLiteral("Ausgabe"), QStringLiteral("Art"),
          QStringLiteral("Medium")},
         {QStringLiteral("Demo"), QStringLiteral("Extras"), QStringLiteral("Mods"),
          QStringLiteral("Patch"), QStringLiteral("Programm"), QStringLiteral("Treiber"),
          QStringLiteral("Video"), QStringLiteral("Vollversion")},
         {QStringLiteral("Demos"), QStringLiteral("Extras"), QStringLiteral("Mods"),
          QStringLiteral("Patches"), QStringLiteral("Programme"), QStringLiteral("Treiber"),
          QStringLiteral("Videos"), QStringLiteral("Vollversionen"), QStringLiteral("Sonstiges")},
         {},
         {{QStringLiteral("Name"), 190, QStringLiteral("TITEL")},
          {QStringLiteral("Ausgabe"), 55, QStringLiteral("AUSGABE")},
          {QStringLiteral("Kategorie"), 160, QStringLiteral("ART")},
          {QStringLiteral("Medium"), 50, QStringLiteral("MEDIUM")}}},
        {2,
         kTips,
         QStringLiteral("TipsData.db"),
         QStringLiteral("ART"),
         false,
         kButtonTops[2],
         {QStringLiteral("TITEL"), QStringLiteral("Ausgabe"), QStringLiteral("Art"),
          QStringLiteral("COUNTER")},
         {QStringLiteral("Cheat"), QStringLiteral("Kurztipp"), QStringLiteral("Lösung"),
          QStringLiteral("Taktik")},
         {QStringLiteral("Cheat"), QStringLiteral("Kurztipp"), QStringLiteral("Lösung"),
          QStringLiteral("Taktik"), QStringLiteral("Sonstige")},
         {QStringLiteral("Cheat"), QStringLiteral("Kurztipp"), QStringLiteral("Lösung"),
          QStringLiteral("Taktik")},
         {{QStringLiteral("Spieletitel"), 220, QStringLiteral("TITEL")},
          {QStringLiteral("Ausgabe"), 100, QStringLiteral("AUSGABE")},
          {QStringLiteral("Art"), 60, QStringLiteral("ART")},
          {QStringLiteral("Counter"), 60, QStringLiteral("COUNTER")}}},
    };
    return views;
}

QStringList walkedFields(const QString& tableFile) {
    const ViewDefinition& view =
        tableFile.compare(games().tableFile, Qt::CaseInsensitive) == 0 ? games() : disc();
    QStringList fields{view.categoryField};
    if (view.ratingEnabled)
        fields << kRatingField;
    fields << kIssueField;
    return fields;
}

const ViewDefinition* find(const QString& name) {
    for (const ViewDefinition& v : all())
        if (v.name == name)
            return &v;
    return nullptr;
}

const ViewDefinition& games() {
    return all()[0];
}
const ViewDefinition& disc() {
    return all()[1];
}
const ViewDefinition& tips() {
    return all()[2];
}

QString stripCaption(const ViewDefinition& view) {
    static const QString captions[] = {QStringLiteral("Spiele"), QStringLiteral("CD & DVD"),
                                       QStringLiteral("Tipps")};
    return captions[view.index];
}

QStringList diskTableFiles() {
    return {QStringLiteral("GameData.DB"), QStringLiteral("CDData.DB"),
            QStringLiteral("TipsData.DB")};
}

bool sortFieldForHeading(const QString& heading, QString& field) {
    static const QHash<QString, QString> map = {
        {QStringLiteral("Spieletitel"), QStringLiteral("TITEL")},
        {QStringLiteral("Name"), QStringLiteral("TITEL")},
        {QStringLiteral("Genre"), QStringLiteral("GENRE")},
        {QStringLiteral("Rubrik"), QStringLiteral("RUBRIK")},
        {QStringLiteral("Entwickler/Publisher"), QStringLiteral("HERSTELLER")},
        {QStringLiteral("Wert."), QStringLiteral("WERTUNG")},
        {QStringLiteral("Ausgabe"), QStringLiteral("AUSGABE")},
        {QStringLiteral("Kommentar"), QStringLiteral("KOMMENTAR")},
        {QStringLiteral("Counter"), QStringLiteral("COUNTER")},
        {QStringLiteral("Art"), QStringLiteral("ART")},
        {QStringLiteral("Kategorie"), QStringLiteral("ART")},
        {QStringLiteral("Medium"), QStringLiteral("MEDIUM")},
    };
    auto it = map.constFind(heading);
    if (it == map.constEnd())
        return false;
    field = it.value();
    return true;
}

QStringList headingSortFields(const ViewDefinition& view) {
    QStringList fields;
    for (const ColumnLayout& column : view.columns) {
        QString field;
        if (sortFieldForHeading(column.heading, field) && !fields.contains(field))
            fields << field;
    }
    return fields;
}

bool sortsDescendingFirst(const QString& field) {
    return field == QLatin1String("COUNTER") || field == QLatin1String("AUSGABE") ||
           field == QLatin1String("WERTUNG");
}

QStringList ratingItems() {
    return {kAll,
            QStringLiteral("10"),
            QStringLiteral("20"),
            QStringLiteral("30"),
            QStringLiteral("40"),
            QStringLiteral("50"),
            QStringLiteral("60"),
            QStringLiteral("70"),
            QStringLiteral("80"),
            QStringLiteral("90")};
}

} // namespace Views
