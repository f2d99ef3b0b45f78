#include "Views.h"

#include <QTest>

class ViewsTest : public QObject {
    Q_OBJECT

private slots:
    void viewNamesAreExact();
    void everyColumnNamesAStoredField();
    void headingToSortField_data();
    void headingToSortField();
};

void ViewsTest::viewNamesAreExact() {
    QVERIFY(!Views::find(QStringLiteral("spiele")));
    QVERIFY(!Views::find(QStringLiteral("CD")));
    QVERIFY(!Views::find(QString()));
    QCOMPARE(Views::kAll, QStringLiteral("(alle)"));
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

QTEST_GUILESS_MAIN(ViewsTest)

#include "test_views.moc"
