#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The archive's three views and everything that follows from a view's name. This is the
// one place these tables are written down; every window reads them from here.

struct ColumnLayout {
    QString heading;
    int width;
    QString field;
};

struct ViewDefinition {
    int index;         // 0 games, 1 disc contents, 2 tips: view button Image1+index, Aktiv1+index
    QString name;      // "Spiele", "CD-Inhalt", "Tips"
    QString tableFile; // "GameData.db", ...
    QString categoryField;   // "RUBRIK" or "ART"
    bool ratingEnabled;      // the search page's minimum-rating box
    int buttonTop;           // top of the view button on the left strip
    QStringList fields;      // stored field names in table order
    QStringList searchWords; // the search page's category list after "(alle)"
    QStringList statsWords;  // the statistics window's category rows
    QStringList editWords;   // category words the edit mode writes (may be empty)
    QList<ColumnLayout> columns;
};

namespace Views {

inline const QString kGames = QStringLiteral("Spiele");
inline const QString kDisc = QStringLiteral("CD-Inhalt");
inline const QString kTips = QStringLiteral("Tips");
inline const QString kAll = QStringLiteral("(alle)");
// The tops of the three view buttons on the main window's strip, in view order; the strip's
// layout places its buttons, lit faces and lamps from them.
inline constexpr int kButtonTops[3] = {128, 153, 178};
inline const QString kRatingField = QStringLiteral("WERTUNG");
inline const QString kIssueField = QStringLiteral("AUSGABE");

const QList<ViewDefinition>& all();
// nullptr for a name that is not a view.
const ViewDefinition* find(const QString& name);
const ViewDefinition& games();
const ViewDefinition& disc();
const ViewDefinition& tips();

// The caption of a view's button on the left strip: "Spiele", "CD & DVD", "Tipps".
QString stripCaption(const ViewDefinition& view);

// The table files as the disc holds them, in the order the hard-disk copy takes them.
QStringList diskTableFiles();

// The fields the statistics read from every row of a view's result, by the view's table
// file: its category field, the rating where the view has one, and the issue.
QStringList walkedFields(const QString& tableFile);

// Heading to sort field; returns false (and leaves `field` alone) for an unknown heading.
bool sortFieldForHeading(const QString& heading, QString& field);

// The fields a click on one of the view's headings sorts by, each once.
QStringList headingSortFields(const ViewDefinition& view);

// Fields whose first click sorts descending.
bool sortsDescendingFirst(const QString& field);

// The minimum-rating box's items, "(alle)" first.
QStringList ratingItems();

} // namespace Views
