#include "ViewQuery.h"

#include <QTest>

namespace {

const QString kDataDir = QStringLiteral("D:\\DATA");

QString selectLine(const QString& dataDir, const QString& tableFile) {
    return QStringLiteral("SELECT * FROM \"") + dataDir + ViewQuery::dirSeparator() + tableFile +
           u'"';
}

} // namespace

class ViewQueryTest : public QObject {
    Q_OBJECT

private slots:
    void composesTheStatementLines_data();
    void composesTheStatementLines();
    void quotesTheDataFolderAsItIs();
    void doublesAQuoteInTheDataFolder();
};

void ViewQueryTest::composesTheStatementLines_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("tableFile");
    QTest::addColumn<QString>("titleCondition");
    QTest::addColumn<QString>("selectionCondition");
    QTest::addColumn<QString>("sortField");
    QTest::addColumn<QString>("sortDirection");
    QTest::addColumn<QStringList>("tailLines"); // the lines after SELECT
    QTest::addColumn<QString>("joiner");
    QTest::addColumn<QString>("secondary");

    const QString games = QStringLiteral("Spiele"), disc = QStringLiteral("CD-Inhalt"),
                  tips = QStringLiteral("Tips");
    const QString race = QStringLiteral("UPPER(TITEL) LIKE \"%RACE%\"");
    const QString strategy = QStringLiteral("RUBRIK LIKE \"%tra%\"");

    QTest::newRow("games at start: two lines") << games << "GameData.db"
                                               << ""
                                               << ""
                                               << "TITEL"
                                               << "" << QStringList{"ORDER BY TITEL"} << ""
                                               << "";
    QTest::newRow("title and rubric, sorted by rating")
        << games << "GameData.db" << race << strategy << "WERTUNG"
        << " DESC"
        << QStringList{"WHERE UPPER(TITEL) LIKE \"%RACE%\" AND RUBRIK LIKE \"%tra%\" ",
                       "ORDER BY WERTUNG DESC, TITEL"}
        << " AND "
        << ", TITEL";
    QTest::newRow("title condition only: no AND, trailing blank")
        << games << "GameData.db" << race << ""
        << "TITEL"
        << "" << QStringList{"WHERE UPPER(TITEL) LIKE \"%RACE%\" ", "ORDER BY TITEL"} << ""
        << "";
    QTest::newRow("selection condition only: no AND, trailing blank")
        << games << "GameData.db"
        << ""
        << "WERTUNG >= 70"
        << "TITEL"
        << "" << QStringList{"WHERE WERTUNG >= 70 ", "ORDER BY TITEL"} << ""
        << "";
    QTest::newRow("empty title pattern is still a condition")
        << tips << "TipsData.db"
        << "UPPER(TITEL) LIKE \"%%\""
        << ""
        << "TITEL"
        << "" << QStringList{"WHERE UPPER(TITEL) LIKE \"%%\" ", "ORDER BY TITEL"} << ""
        << "";
    QTest::newRow("disc contents by name: newest issue first among equal names")
        << disc << "CDData.db"
        << ""
        << ""
        << "TITEL"
        << "" << QStringList{"ORDER BY TITEL, AUSGABE DESC"} << ""
        << ", AUSGABE DESC";
    QTest::newRow("disc contents by name, second click")
        << disc << "CDData.db"
        << ""
        << ""
        << "TITEL"
        << " DESC" << QStringList{"ORDER BY TITEL DESC, AUSGABE DESC"} << ""
        << ", AUSGABE DESC";
    QTest::newRow("disc contents by category")
        << disc << "CDData.db"
        << ""
        << "ART LIKE \"%emo%\""
        << "ART"
        << "" << QStringList{"WHERE ART LIKE \"%emo%\" ", "ORDER BY ART, TITEL"} << ""
        << ", TITEL";
    QTest::newRow("latest issue") << games << "GameData.db"
                                  << ""
                                  << ""
                                  << "AUSGABE"
                                  << " DESC" << QStringList{"ORDER BY AUSGABE DESC, TITEL"} << ""
                                  << ", TITEL";
    QTest::newRow("tips by title descending: no secondary order")
        << tips << "TipsData.db"
        << ""
        << ""
        << "TITEL"
        << " DESC" << QStringList{"ORDER BY TITEL DESC"} << ""
        << "";
    QTest::newRow("tips by counter") << tips << "TipsData.db"
                                     << ""
                                     << ""
                                     << "COUNTER"
                                     << " DESC" << QStringList{"ORDER BY COUNTER DESC, TITEL"} << ""
                                     << ", TITEL";
}

void ViewQueryTest::composesTheStatementLines() {
    QFETCH(QString, view);
    QFETCH(QString, tableFile);
    QFETCH(QString, titleCondition);
    QFETCH(QString, selectionCondition);
    QFETCH(QString, sortField);
    QFETCH(QString, sortDirection);
    QFETCH(QStringList, tailLines);
    QFETCH(QString, joiner);
    QFETCH(QString, secondary);

    const ComposedViewQuery q = ViewQuery::compose(
        {kDataDir, tableFile, view, titleCondition, selectionCondition, sortField, sortDirection});
    QCOMPARE(q.lines, QStringList{selectLine(kDataDir, tableFile)} + tailLines);
    QCOMPARE(q.conditionJoiner, joiner);
    QCOMPARE(q.secondaryOrder, secondary);
}

void ViewQueryTest::quotesTheDataFolderAsItIs() {
    const QString dir = QStringLiteral("/home/prüfer/Meine Daten");
    const ComposedViewQuery q = ViewQuery::compose({dir,
                                                    QStringLiteral("GameData.db"),
                                                    QStringLiteral("Spiele"),
                                                    {},
                                                    {},
                                                    QStringLiteral("TITEL"),
                                                    {}});
    QCOMPARE(q.lines.value(0), selectLine(dir, QStringLiteral("GameData.db")));
    QVERIFY(
        q.lines.value(0).startsWith(QStringLiteral("SELECT * FROM \"/home/prüfer/Meine Daten")));
}

void ViewQueryTest::doublesAQuoteInTheDataFolder() {
    const ComposedViewQuery q = ViewQuery::compose({QStringLiteral("/cd/Die \"beste\" CD/DATA"),
                                                    QStringLiteral("GameData.db"),
                                                    QStringLiteral("Spiele"),
                                                    {},
                                                    {},
                                                    QStringLiteral("TITEL"),
                                                    {}});
    QCOMPARE(q.lines.value(0), QStringLiteral("SELECT * FROM \"/cd/Die \"\"beste\"\" CD/DATA") +
                                   ViewQuery::dirSeparator() + QStringLiteral("GameData.db\""));
}

QTEST_GUILESS_MAIN(ViewQueryTest)

#include "test_viewquery.moc"
