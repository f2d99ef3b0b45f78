#include "EditCodes.h"

#include <QTest>

namespace {

using Lookup = bool (*)(const QString&, QString&);

void addCodeColumns() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("isCode");
    QTest::addColumn<QString>("stored");
}

void checkLookup(Lookup lookup) {
    QFETCH(QString, typed);
    QFETCH(bool, isCode);
    QFETCH(QString, stored);
    QString out = QStringLiteral("untouched");
    QCOMPARE(lookup(typed, out), isCode);
    QCOMPARE(out, isCode ? stored : QStringLiteral("untouched"));
}

} // namespace

class EditCodesTest : public QObject {
    Q_OBJECT

private slots:
    void tipKind_data();
    void tipKind() { checkLookup(EditCodes::tipKind); }
    void rubric_data();
    void rubric() { checkLookup(EditCodes::rubric); }
    void genre_data();
    void genre() { checkLookup(EditCodes::genre); }
    void nextMedium_data();
    void nextMedium();
    void mediumCyclesInThreeClicks();
};

void EditCodesTest::tipKind_data() {
    addCodeColumns();
    QTest::newRow("l") << "l" << true << "Lösung";
    QTest::newRow("L") << "L" << true << "Lösung";
    QTest::newRow("t") << "t" << true << "Taktik";
    QTest::newRow("K") << "K" << true << "Kurztipp";
    QTest::newRow("c") << "c" << true << "Cheat";
    QTest::newRow("lö stays") << "lö" << false << "";
    QTest::newRow("Lösung stays") << "Lösung" << false << "";
    QTest::newRow("whole value compared") << "Lx" << false << "";
    QTest::newRow("blank not trimmed") << "l " << false << "";
    QTest::newRow("empty") << "" << false << "";
    QTest::newRow("rubric code is no tip code") << "ac" << false << "";
}

void EditCodesTest::rubric_data() {
    addCodeColumns();
    QTest::newRow("ac") << "ac" << true << "Action";
    QTest::newRow("St") << "St" << true << "Strategie";
    QTest::newRow("sP") << "sP" << true << "Sport";
    QTest::newRow("SI") << "SI" << true << "Simulationen";
    QTest::newRow("ad") << "ad" << true << "Adventures";
    QTest::newRow("bu") << "bu" << true << "Budget";
    QTest::newRow("so") << "so" << true << "Software";
    QTest::newRow("xy stays") << "xy" << false << "";
    QTest::newRow("a prefix is no code") << "a" << false << "";
    QTest::newRow("longer than a code") << "act" << false << "";
    QTest::newRow("genre-only code") << "3d" << false << "";
}

void EditCodesTest::genre_data() {
    addCodeColumns();
    const struct {
        const char* code;
        const char* word;
    } codes[] = {{"ac", "Actionspiel"},        {"st", "Strategiespiel"},
                 {"sp", "Sportspiel"},         {"wi", "Wirtschaftssimulation"},
                 {"ad", "Adventure"},          {"fl", "Flugsimulation"},
                 {"so", "Software"},           {"3d", "3D-Action"},
                 {"ec", "Echtzeit-Strategie"}, {"au", "Aufbauspiel"},
                 {"we", "Weltraumspiel"},      {"me", "Mechspiel"},
                 {"re", "Rennspiel"},          {"ro", "Rollenspiel"}};
    for (const auto& c : codes)
        QTest::newRow(c.code) << c.code << true << c.word;
    QTest::newRow("3D upper case") << "3D" << true << "3D-Action";
    QTest::newRow("xy stays") << "xy" << false << "";
    QTest::newRow("rubric-only code") << "bu" << false << "";
    QTest::newRow("stored word stays") << "Actionspiel" << false << "";
}

void EditCodesTest::nextMedium_data() {
    QTest::addColumn<QString>("medium");
    QTest::addColumn<bool>("cycles");
    QTest::addColumn<QString>("next");
    QTest::newRow("CD") << "CD" << true << "CD/DVD";
    QTest::newRow("cd") << "cd" << true << "CD/DVD";
    QTest::newRow("CD/DVD") << "CD/DVD" << true << "DVD";
    QTest::newRow("cd/dvd") << "cd/dvd" << true << "DVD";
    QTest::newRow("DVD") << "DVD" << true << "CD";
    QTest::newRow("Dvd") << "Dvd" << true << "CD";
    QTest::newRow("BOX stays") << "BOX" << false << "";
    QTest::newRow("empty stays") << "" << false << "";
    QTest::newRow("blank not trimmed") << "CD " << false << "";
}

void EditCodesTest::nextMedium() {
    QFETCH(QString, medium);
    QFETCH(bool, cycles);
    QFETCH(QString, next);
    QString out = QStringLiteral("untouched");
    QCOMPARE(EditCodes::nextMedium(medium, out), cycles);
    QCOMPARE(out, cycles ? next : QStringLiteral("untouched"));
}

void EditCodesTest::mediumCyclesInThreeClicks() {
    QString medium = QStringLiteral("cd");
    QStringList seen;
    for (int click = 0; click < 3; ++click) {
        QString next;
        QVERIFY(EditCodes::nextMedium(medium, next));
        seen << next;
        medium = next;
    }
    QCOMPARE(seen, (QStringList{"CD/DVD", "DVD", "CD"}));
}

QTEST_GUILESS_MAIN(EditCodesTest)

#include "test_editcodes.moc"
