#include "Views.h"

#include <QTest>

class ViewsTest : public QObject {
    Q_OBJECT

private slots:
    void viewNames_data();
    void viewNames();
    void viewNamesAreExact();
    void categoryLists_data();
    void categoryLists();
    void columnLayout_data();
    void columnLayout();
    void everyColumnNamesAStoredField();
    void headingToSortField_data();
    void headingToSortField();
    void firstClickDescending_data();
    void firstClickDescending();
    void ratingItems();
};

void ViewsTest::viewNames_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("tableFile");
    QTest::addColumn<QString>("categoryField");
    QTest::addColumn<bool>("ratingEnabled");
    QTest::addColumn<int>("buttonTop");
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("Spiele") << "Spiele"
                            << "GameData.db"
                            << "RUBRIK" << true << 128
                            << QStringList{"TITEL",   "Rubrik",  "Genre",    "HERSTELLER",
                                           "WERTUNG", "Ausgabe", "KOMMENTAR"};
    QTest::newRow("CD-Inhalt") << "CD-Inhalt"
                               << "CDData.db"
                               << "ART" << false << 153
                               << QStringList{"TITEL", "Ausgabe", "Art", "Medium"};
    QTest::newRow("Tips") << "Tips"
                          << "TipsData.db"
                          << "ART" << false << 178
                          << QStringList{"TITEL", "Ausgabe", "Art", "COUNTER"};
}

void ViewsTest::viewNames() {
    QFETCH(QString, view);
    QFETCH(QString, tableFile);
    QFETCH(QString, categoryField);
    QFETCH(bool, ratingEnabled);
    QFETCH(int, buttonTop);
    QFETCH(QStringList, fields);

    const ViewDefinition* def = Views::find(view);
    QVERIFY(def);
    QCOMPARE(def->name, view);
    QCOMPARE(def->tableFile, tableFile);
    QCOMPARE(def->categoryField, categoryField);
    QCOMPARE(def->ratingEnabled, ratingEnabled);
    QCOMPARE(def->buttonTop, buttonTop);
    QCOMPARE(def->fields, fields);
}

void ViewsTest::viewNamesAreExact() {
    QVERIFY(!Views::find(QStringLiteral("spiele")));
    QVERIFY(!Views::find(QStringLiteral("CD")));
    QVERIFY(!Views::find(QString()));
    QCOMPARE(Views::kAll, QStringLiteral("(alle)"));
}

void ViewsTest::categoryLists_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<QStringList>("searchList"); // as the search page shows it
    QTest::addColumn<QStringList>("statsRows");
    QTest::addColumn<QStringList>("editWords");

    const QStringList rubrics{"Action",     "Strategie", "Sport",   "Simulationen",
                              "Adventures", "Budget",    "Software"};
    QTest::newRow("Spiele: 8 entries")
        << "Spiele" << QStringList{"(alle)"} + rubrics << rubrics << rubrics;
    QTest::newRow("CD-Inhalt: 9 entries")
        << "CD-Inhalt" << QStringList{"(alle)",   "Demo",    "Extras", "Mods",       "Patch",
                                      "Programm", "Treiber", "Video",  "Vollversion"}
        << QStringList{"Demos",   "Extras", "Mods",          "Patches",  "Programme",
                       "Treiber", "Videos", "Vollversionen", "Sonstiges"}
        << QStringList{};
    QTest::newRow("Tips: 5 entries")
        << "Tips" << QStringList{"(alle)", "Cheat", "Kurztipp", "Lösung", "Taktik"}
        << QStringList{"Cheat", "Kurztipp", "Lösung", "Taktik", "Sonstige"}
        << QStringList{"Cheat", "Kurztipp", "Lösung", "Taktik"};
}

void ViewsTest::categoryLists() {
    QFETCH(QString, view);
    QFETCH(QStringList, searchList);
    QFETCH(QStringList, statsRows);
    QFETCH(QStringList, editWords);

    const ViewDefinition* def = Views::find(view);
    QVERIFY(def);
    // The search page puts "(alle)" before the view's words.
    QCOMPARE(QStringList{Views::kAll} + def->searchWords, searchList);
    QCOMPARE(def->statsWords, statsRows);
    QCOMPARE(def->editWords, editWords);
}

void ViewsTest::columnLayout_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("field");

    const struct {
        const char* view;
        int position;
        const char* heading;
        int width;
        const char* field;
    } rows[] = {
        {"Spiele", 1, "Spieletitel", 145, "TITEL"},
        {"Spiele", 2, "Rubrik", 65, "RUBRIK"},
        {"Spiele", 3, "Genre", 90, "GENRE"},
        {"Spiele", 4, "Entwickler/Publisher", 120, "HERSTELLER"},
        {"Spiele", 5, "Wert.", 35, "WERTUNG"},
        {"Spiele", 6, "Ausgabe", 55, "AUSGABE"},
        {"Spiele", 7, "Kommentar", 325, "KOMMENTAR"},
        {"CD-Inhalt", 1, "Name", 190, "TITEL"},
        {"CD-Inhalt", 2, "Ausgabe", 55, "AUSGABE"},
        {"CD-Inhalt", 3, "Kategorie", 160, "ART"},
        {"CD-Inhalt", 4, "Medium", 50, "MEDIUM"},
        {"Tips", 1, "Spieletitel", 220, "TITEL"},
        {"Tips", 2, "Ausgabe", 100, "AUSGABE"},
        {"Tips", 3, "Art", 60, "ART"},
        {"Tips", 4, "Counter", 60, "COUNTER"},
    };
    for (const auto& r : rows)
        QTest::addRow("%s %d", r.view, r.position)
            << QString::fromUtf8(r.view) << r.position << QString::fromUtf8(r.heading) << r.width
            << QString::fromUtf8(r.field);
}

void ViewsTest::columnLayout() {
    QFETCH(QString, view);
    QFETCH(int, position);
    QFETCH(QString, heading);
    QFETCH(int, width);
    QFETCH(QString, field);

    const ViewDefinition* def = Views::find(view);
    QVERIFY(def);
    QCOMPARE(def->columns.size(), def->fields.size());
    const ColumnLayout& c = def->columns.at(position - 1);
    QCOMPARE(c.heading, heading);
    QCOMPARE(c.width, width);
    QCOMPARE(c.field, field);
}

void ViewsTest::everyColumnNamesAStoredField() {
    // Headings address columns by position: column i must show stored field i, and a click
    // on its heading must sort by that same field.
    for (const ViewDefinition& def : Views::all()) {
        for (int i = 0; i < def.columns.size(); ++i) {
            QCOMPARE(def.columns[i].field.compare(def.fields.value(i), Qt::CaseInsensitive), 0);
            QString sortField;
            QVERIFY2(Views::sortFieldForHeading(def.columns[i].heading, sortField),
                     qPrintable(def.columns[i].heading));
            QCOMPARE(sortField, def.columns[i].field);
        }
    }
}

void ViewsTest::headingToSortField_data() {
    QTest::addColumn<QString>("heading");
    QTest::addColumn<bool>("known");
    QTest::addColumn<QString>("field");

    QTest::newRow("Spieletitel") << "Spieletitel" << true << "TITEL";
    QTest::newRow("Name") << "Name" << true << "TITEL";
    QTest::newRow("Genre") << "Genre" << true << "GENRE";
    QTest::newRow("Rubrik") << "Rubrik" << true << "RUBRIK";
    QTest::newRow("Entwickler/Publisher") << "Entwickler/Publisher" << true << "HERSTELLER";
    QTest::newRow("Wert.") << "Wert." << true << "WERTUNG";
    QTest::newRow("Ausgabe") << "Ausgabe" << true << "AUSGABE";
    QTest::newRow("Kommentar") << "Kommentar" << true << "KOMMENTAR";
    QTest::newRow("Counter") << "Counter" << true << "COUNTER";
    QTest::newRow("Art") << "Art" << true << "ART";
    QTest::newRow("Kategorie") << "Kategorie" << true << "ART";
    QTest::newRow("Medium") << "Medium" << true << "MEDIUM";
    // Exact comparison, case included: anything else leaves the sort field alone.
    QTest::newRow("Wert without point") << "Wert" << false << "";
    QTest::newRow("lower-case heading") << "spieletitel" << false << "";
    QTest::newRow("upper-case heading") << "MEDIUM" << false << "";
    QTest::newRow("field name as heading") << "TITEL" << false << "";
    QTest::newRow("trailing blank") << "Name " << false << "";
    QTest::newRow("empty") << "" << false << "";
}

void ViewsTest::headingToSortField() {
    QFETCH(QString, heading);
    QFETCH(bool, known);
    QFETCH(QString, field);

    QString sortField = QStringLiteral("unchanged");
    QCOMPARE(Views::sortFieldForHeading(heading, sortField), known);
    QCOMPARE(sortField, known ? field : QStringLiteral("unchanged"));
}

void ViewsTest::firstClickDescending_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("descending");
    for (const char* f : {"COUNTER", "AUSGABE", "WERTUNG"})
        QTest::newRow(f) << f << true;
    for (const char* f : {"TITEL", "RUBRIK", "GENRE", "HERSTELLER", "KOMMENTAR", "ART", "MEDIUM"})
        QTest::newRow(f) << f << false;
}

void ViewsTest::firstClickDescending() {
    QFETCH(QString, field);
    QFETCH(bool, descending);
    QCOMPARE(Views::sortsDescendingFirst(field), descending);
}

void ViewsTest::ratingItems() {
    QCOMPARE(Views::ratingItems(),
             (QStringList{"(alle)", "10", "20", "30", "40", "50", "60", "70", "80", "90"}));
}

QTEST_GUILESS_MAIN(ViewsTest)

#include "test_views.moc"
