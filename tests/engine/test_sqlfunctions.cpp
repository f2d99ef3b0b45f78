#include "Capitals.h"
#include "EngineFixture.h"
#include "SqlFunctions.h"

#include <QTest>

#include <algorithm>

namespace {

int collateTexts(const QString& a, const QString& b) {
    const QByteArray ua = a.toUtf8(), ub = b.toUtf8();
    return SqlFunctions::collate(QByteArrayView(ua), QByteArrayView(ub));
}

} // namespace

class SqlFunctionsTest : public QObject {
    Q_OBJECT

private slots:
    void likeIsCaseSensitive_data();
    void likeIsCaseSensitive();
    void upperRaisesEveryLetter_data();
    void upperRaisesEveryLetter();
    void collationOrdersAsAGermanReader_data();
    void collationOrdersAsAGermanReader();
    void collationIsAConsistentOrder();
};

void SqlFunctionsTest::likeIsCaseSensitive_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("matches");

    QTest::newRow("rubric fragment") << "%tra%"
                                     << "Strategie" << true;
    QTest::newRow("capitals do not match small letters") << "%TRA%"
                                                         << "Strategie" << false;
    QTest::newRow("umlaut fragment") << "%ösu%"
                                     << "Lösung" << true;
    QTest::newRow("umlaut of the other case") << "%ÖSU%"
                                              << "Lösung" << false;
    QTest::newRow("empty pattern body matches all") << "%%"
                                                    << "x" << true;
    QTest::newRow("empty pattern body matches empty") << "%%"
                                                      << "" << true;
    QTest::newRow("lone percent") << "%"
                                  << "" << true;
    QTest::newRow("prefix") << "Str%"
                            << "Strategie" << true;
    QTest::newRow("suffix") << "%gie"
                            << "Strategie" << true;
    QTest::newRow("no suffix") << "%gi"
                               << "Strategie" << false;
    QTest::newRow("whole text without wildcard") << "Sport"
                                                 << "Sport" << true;
    QTest::newRow("longer text without wildcard") << "Sport"
                                                  << "Sportspiel" << false;
    QTest::newRow("percent in the middle") << "%S%CE%"
                                           << "SPACE RACE" << true;
    QTest::newRow("percents in order only") << "%CE%SP%"
                                            << "SPACE" << false;
    QTest::newRow("underscore is one character") << "R_CE"
                                                 << "RACE" << true;
    QTest::newRow("underscore needs a character") << "R_CE"
                                                  << "RCE" << false;
    QTest::newRow("underscore takes one umlaut") << "_rger"
                                                 << "Ärger" << true;
    QTest::newRow("underscore takes exactly one") << "%R_E%"
                                                  << "RACE" << false;
    QTest::newRow("underscore on empty text") << "_"
                                              << "" << false;
    QTest::newRow("backtracking after a false start") << "%aab%"
                                                      << "aaab" << true;
}

void SqlFunctionsTest::likeIsCaseSensitive() {
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, matches);
    const QByteArray p = pattern.toUtf8(), t = text.toUtf8();
    QCOMPARE(SqlFunctions::likeMatch(QByteArrayView(p), QByteArrayView(t)), matches);
}

void SqlFunctionsTest::upperRaisesEveryLetter_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("upper");
    QTest::newRow("ASCII") << "Space Race 2"
                           << "SPACE RACE 2";
    QTest::newRow("umlauts") << "über Ärger öl"
                             << "ÜBER ÄRGER ÖL";
    QTest::newRow("accents") << "café"
                             << "CAFÉ";
    QTest::newRow("sharp s stays, its capital is two letters") << "fußball straße"
                                                               << "FUßBALL STRAßE";
    QTest::newRow("ligature and iota subscript stay") << "ﬁnal ᾳ ŉ ǆ"
                                                      << "ﬁNAL ᾳ ŉ Ǆ";
    QTest::newRow("beyond the first plane") << "𐐨x"
                                            << "𐐀X";
    QTest::newRow("empty") << ""
                           << "";
}

void SqlFunctionsTest::upperRaisesEveryLetter() {
    QFETCH(QString, text);
    QFETCH(QString, upper);
    const QByteArray t = text.toUtf8();
    QCOMPARE(QString::fromUtf8(SqlFunctions::upperUtf8(QByteArrayView(t))), upper);
    // The title boxes upper-case what is typed the same way.
    QCOMPARE(Capitals::ofText(text), upper);
}

void SqlFunctionsTest::collationOrdersAsAGermanReader_data() {
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("umlaut beside its letter, not after Z")
        << QStringList{"Arger", "Ärger", "Armut", "Ofen", "Öl", "Zorn"};
    QTest::newRow("letter case ignored first") << QStringList{"apfel", "Banane", "cello", "Dach"};
    QTest::newRow("unaccented before accented") << QStringList{"apfel", "Äpfel", "Apfelbaum"};
    QTest::newRow("issue texts by time")
        << QStringList{"1997/10", "1998/01", "1999/12", "2001/05", "2001/12", "2002/03"};
    QTest::newRow("sharp s as ss") << QStringList{"Strasse", "Straße", "Strassen"};
    QTest::newRow("shorter first") << QStringList{"", "Rally", "Rally 2", "Rallye"};
}

void SqlFunctionsTest::collationOrdersAsAGermanReader() {
    QFETCH(QStringList, sorted);
    QStringList shuffled = sorted;
    std::reverse(shuffled.begin(), shuffled.end());
    std::stable_sort(shuffled.begin(), shuffled.end(),
                     [](const QString& a, const QString& b) { return collateTexts(a, b) < 0; });
    QCOMPARE(shuffled, sorted);
}

void SqlFunctionsTest::collationIsAConsistentOrder() {
    // SQLite sorts with the collation: it must be a strict order that calls equal only the
    // same text, or ORDER BY results depend on the sort's path through the rows.
    const QStringList words{"Arger",   "arger", "ARGER",   "Ärger",   "ärger",   "Argér",
                            "Armut",   "Zorn",  "Straße",  "Strasse", "STRASSE", "Æon",
                            "Aeon",    "Œuvre", "Oeuvre",  "über",    "Uber",    "uber",
                            "1997/10", "Rally", "Rally 2", ""};
    for (const QString& a : words) {
        QCOMPARE(collateTexts(a, a), 0);
        for (const QString& b : words) {
            const int ab = collateTexts(a, b), ba = collateTexts(b, a);
            QVERIFY2((ab > 0) - (ab < 0) == -((ba > 0) - (ba < 0)),
                     qPrintable(a + QStringLiteral(" / ") + b));
            if (a != b)
                QVERIFY2(ab != 0, qPrintable(a + QStringLiteral(" = ") + b));
            for (const QString& c : words)
                if (ab < 0 && collateTexts(b, c) < 0)
                    QVERIFY2(collateTexts(a, c) < 0,
                             qPrintable(a + QStringLiteral(" < ") + b + QStringLiteral(" < ") + c));
        }
    }
}

ENGINE_TEST_MAIN(SqlFunctionsTest)

#include "test_sqlfunctions.moc"
