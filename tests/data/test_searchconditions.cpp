#include "SearchConditions.h"
#include "Views.h"

#include <QTest>

class SearchConditionsTest : public QObject {
    Q_OBJECT

private slots:
    void categoryTakesLettersTwoToFour_data();
    void categoryTakesLettersTwoToFour();
    void everySearchWordGivesItsFragment();
    void rating_data();
    void rating();
    void title_data();
    void title();
    void selection_data();
    void selection();
};

void SearchConditionsTest::categoryTakesLettersTwoToFour_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("condition");

    QTest::newRow("Action") << "RUBRIK"
                            << "Action"
                            << "RUBRIK LIKE \"%cti%\"";
    QTest::newRow("Strategie") << "RUBRIK"
                               << "Strategie"
                               << "RUBRIK LIKE \"%tra%\"";
    QTest::newRow("Simulationen") << "RUBRIK"
                                  << "Simulationen"
                                  << "RUBRIK LIKE \"%imu%\"";
    QTest::newRow("Demo") << "ART"
                          << "Demo"
                          << "ART LIKE \"%emo%\"";
    QTest::newRow("Vollversion") << "ART"
                                 << "Vollversion"
                                 << "ART LIKE \"%oll%\"";
    QTest::newRow("Lösung: non-ASCII letter") << "ART"
                                              << "Lösung"
                                              << "ART LIKE \"%ösu%\"";
    QTest::newRow("Cheat") << "ART"
                           << "Cheat"
                           << "ART LIKE \"%hea%\"";
    QTest::newRow("games (alle)") << "RUBRIK"
                                  << "(alle)"
                                  << "";
    QTest::newRow("tips (alle)") << "ART"
                                 << "(alle)"
                                 << "";
}

void SearchConditionsTest::categoryTakesLettersTwoToFour() {
    QFETCH(QString, field);
    QFETCH(QString, item);
    QFETCH(QString, condition);
    QCOMPARE(SearchConditions::category(field, item), condition);
}

void SearchConditionsTest::everySearchWordGivesItsFragment() {
    // The fragments each view's search list produces, in list order.
    const QList<QPair<QString, QStringList>> expected = {
        {Views::kGames, {"cti", "tra", "por", "imu", "dve", "udg", "oft"}},
        {Views::kDisc, {"emo", "xtr", "ods", "atc", "rog", "rei", "ide", "oll"}},
        {Views::kTips, {"hea", "urz", "ösu", "akt"}},
    };
    for (const auto& [view, fragments] : expected) {
        const ViewDefinition* def = Views::find(view);
        QVERIFY(def);
        QStringList got;
        for (const QString& word : def->searchWords)
            got << SearchConditions::category(def->categoryField, word);
        QStringList want;
        for (const QString& f : fragments)
            want << def->categoryField + QStringLiteral(" LIKE \"%") + f + QStringLiteral("%\"");
        QCOMPARE(got, want);
    }
}

void SearchConditionsTest::rating_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("condition");
    QTest::newRow("70") << "70"
                        << "WERTUNG >= 70";
    QTest::newRow("10") << "10"
                        << "WERTUNG >= 10";
    QTest::newRow("(alle)") << "(alle)"
                            << "";
}

void SearchConditionsTest::rating() {
    QFETCH(QString, item);
    QFETCH(QString, condition);
    QCOMPARE(SearchConditions::rating(item), condition);
}

void SearchConditionsTest::title_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("condition");
    QTest::newRow("capitals") << "SPACE"
                              << "UPPER(TITEL) LIKE \"%SPACE%\"";
    QTest::newRow("small letters are raised") << "space"
                                              << "UPPER(TITEL) LIKE \"%SPACE%\"";
    QTest::newRow("only a-z are raised") << "über straße"
                                         << "UPPER(TITEL) LIKE \"%üBER STRAßE%\"";
    QTest::newRow("empty text still a condition") << ""
                                                  << "UPPER(TITEL) LIKE \"%%\"";
    QTest::newRow("blanks kept, nothing trimmed") << " 2 "
                                                  << "UPPER(TITEL) LIKE \"% 2 %\"";
    QTest::newRow("wildcards pass through") << "a%b_c"
                                            << "UPPER(TITEL) LIKE \"%A%B_C%\"";
    QTest::newRow("double quote doubled") << "12\" racer"
                                          << "UPPER(TITEL) LIKE \"%12\"\" RACER%\"";
    QTest::newRow("two double quotes") << "\"\""
                                       << "UPPER(TITEL) LIKE \"%\"\"\"\"%\"";
}

void SearchConditionsTest::title() {
    QFETCH(QString, text);
    QFETCH(QString, condition);
    QCOMPARE(SearchConditions::title(text), condition);
}

void SearchConditionsTest::selection_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("rating");
    QTest::addColumn<QString>("condition");
    QTest::newRow("both (alle)") << "RUBRIK"
                                 << "(alle)"
                                 << "(alle)"
                                 << "";
    QTest::newRow("rating only: no leading AND") << "RUBRIK"
                                                 << "(alle)"
                                                 << "70"
                                                 << "WERTUNG >= 70";
    QTest::newRow("category only") << "ART"
                                   << "Demo"
                                   << "(alle)"
                                   << "ART LIKE \"%emo%\"";
    QTest::newRow("both joined by AND") << "RUBRIK"
                                        << "Sport"
                                        << "80"
                                        << "RUBRIK LIKE \"%por%\" AND WERTUNG >= 80";
}

void SearchConditionsTest::selection() {
    QFETCH(QString, field);
    QFETCH(QString, category);
    QFETCH(QString, rating);
    QFETCH(QString, condition);
    QCOMPARE(SearchConditions::selection(field, category, rating), condition);
}

QTEST_GUILESS_MAIN(SearchConditionsTest)

#include "test_searchconditions.moc"
