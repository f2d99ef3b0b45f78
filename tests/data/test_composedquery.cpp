#include "EngineError.h"
#include "Query.h"
#include "SearchConditions.h"
#include "TestSupport.h"
#include "ViewQuery.h"
#include "Views.h"

#include <QTemporaryDir>
#include <QTest>

#include <utility>

// The view query as the main window composes it, run by the engine over a small games table.
class ComposedQueryTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void rowsInViewOrder_data();
    void rowsInViewOrder();
    void fieldTextsOfTheResult();
    void doubleQuoteInTheTitleFindsTheTitle();

private:
    QStringList composedLines(const QString& titleText, const QString& category,
                              const QString& rating, const QString& sortField,
                              const QString& sortDirection) const;
    QStringList titles(const Query& q) const;

    QTemporaryDir m_root;
    QString m_dataDir;
};

void ComposedQueryTest::initTestCase() {
    QVERIFY(m_root.isValid());
    m_dataDir = m_root.path() + QStringLiteral("/Archiv Öffentlich");
    QVERIFY(QDir().mkpath(m_dataDir));
    // The disc writes the file name with a capital extension; the program asks for ".db".
    TestSupport::makeTable(
        m_dataDir + QStringLiteral("/GameData.DB"), QStringLiteral("GameData"),
        TestSupport::kGamesSchema,
        {
            {"Space Race", "Strategie", "Echtzeit-Strategie", "Nova", "90", "1998/11", "schnell"},
            {"Ärger im Revier", "Action", "Actionspiel", "Kalt", "85", "1999/03", ""},
            {"Race Driver", "Sport", "Rennspiel", "Motor", "70", "2001/05", "\\N"},
            {"über alles", "Simulationen", "Flugsimulation", "Höhe", "\\N", "2002/01", "hoch"},
            {"Grand Race", "Strategie", "Strategiespiel", "Nova", "90", "2000/02", ""},
            {"Traceur", "Strategie", "Strategiespiel", "Lauf", "100", "1997/10", ""},
            {"Arger", "Sport", "Sportspiel", "X", "9", "2002/03", ""},
        });
}

QStringList ComposedQueryTest::composedLines(const QString& titleText, const QString& category,
                                             const QString& rating, const QString& sortField,
                                             const QString& sortDirection) const {
    const ViewDefinition& games = Views::games();
    ViewQueryParts parts;
    parts.dataDir = m_dataDir;
    parts.tableFile = games.tableFile;
    parts.currentView = games.name;
    parts.titleCondition = titleText.isNull() ? QString() : SearchConditions::title(titleText);
    parts.selectionCondition = SearchConditions::selection(games.categoryField, category, rating);
    parts.sortField = sortField;
    parts.sortDirection = sortDirection;
    return ViewQuery::compose(parts).lines;
}

QStringList ComposedQueryTest::titles(const Query& q) const {
    QStringList out;
    for (int row = 0; row < q.recordCount(); ++row)
        out << q.value(row, q.fieldIndex(QStringLiteral("TITEL")));
    return out;
}

void ComposedQueryTest::rowsInViewOrder_data() {
    QTest::addColumn<QString>("titleText"); // null: no title condition
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("rating");
    QTest::addColumn<QString>("sortField");
    QTest::addColumn<QString>("sortDirection");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("start: all by title, umlauts beside their letter")
        << QString() << "(alle)"
        << "(alle)"
        << "TITEL"
        << "" << QStringList{"Arger",      "Ärger im Revier", "Grand Race", "Race Driver",
                             "Space Race", "Traceur",         "über alles"};
    QTest::newRow("title RACE and Strategie by rating: 100 first, ties by title")
        << "RACE"
        << "Strategie"
        << "(alle)"
        << "WERTUNG"
        << " DESC" << QStringList{"Traceur", "Grand Race", "Space Race"};
    QTest::newRow("typed in small letters")
        << "race"
        << "(alle)"
        << "(alle)"
        << "TITEL"
        << "" << QStringList{"Grand Race", "Race Driver", "Space Race", "Traceur"};
    QTest::newRow("umlaut found through UPPER") << "ÜBER"
                                                << "(alle)"
                                                << "(alle)"
                                                << "TITEL"
                                                << "" << QStringList{"über alles"};
    QTest::newRow("empty title text keeps every row with a title")
        << ""
        << "(alle)"
        << "(alle)"
        << "TITEL"
        << " DESC" << QStringList{"über alles", "Traceur",         "Space Race", "Race Driver",
                                  "Grand Race", "Ärger im Revier", "Arger"};
    QTest::newRow("minimum rating compares numbers, NULL left out")
        << QString() << "(alle)"
        << "70"
        << "WERTUNG"
        << ""
        << QStringList{"Race Driver", "Ärger im Revier", "Grand Race", "Space Race", "Traceur"};
    QTest::newRow("rubric and rating") << QString() << "Sport"
                                       << "10"
                                       << "TITEL"
                                       << "" << QStringList{"Race Driver"};
    QTest::newRow("latest issue first")
        << QString() << "(alle)"
        << "(alle)"
        << "AUSGABE"
        << " DESC" << QStringList{"Arger",           "über alles", "Race Driver", "Grand Race",
                                  "Ärger im Revier", "Space Race", "Traceur"};
    QTest::newRow("rating ascending: no rating smallest")
        << QString() << "(alle)"
        << "(alle)"
        << "WERTUNG"
        << "" << QStringList{"über alles", "Arger",      "Race Driver", "Ärger im Revier",
                             "Grand Race", "Space Race", "Traceur"};
    QTest::newRow("underscore stands for one character")
        << "R_CE"
        << "(alle)"
        << "(alle)"
        << "TITEL"
        << "" << QStringList{"Grand Race", "Race Driver", "Space Race", "Traceur"};
    QTest::newRow("percent inside the text is a wildcard") << "S%CE"
                                                           << "(alle)"
                                                           << "(alle)"
                                                           << "TITEL"
                                                           << "" << QStringList{"Space Race"};
    QTest::newRow("nothing matches") << "ZORN"
                                     << "(alle)"
                                     << "(alle)"
                                     << "TITEL"
                                     << "" << QStringList{};
}

void ComposedQueryTest::rowsInViewOrder() {
    QFETCH(QString, titleText);
    QFETCH(QString, category);
    QFETCH(QString, rating);
    QFETCH(QString, sortField);
    QFETCH(QString, sortDirection);
    QFETCH(QStringList, expected);

    Query q;
    q.setDatabaseDir(m_dataDir);
    q.setSql(composedLines(titleText, category, rating, sortField, sortDirection));
    q.open();
    QCOMPARE(titles(q), expected);
}

void ComposedQueryTest::fieldTextsOfTheResult() {
    Query q;
    q.setDatabaseDir(m_dataDir);
    q.setCachedFields({QStringLiteral("AUSGABE"), QStringLiteral("RUBRIK")});
    const QStringList lines =
        composedLines(QStringLiteral("RACE"), QStringLiteral("Strategie"), Views::kAll,
                      QStringLiteral("WERTUNG"), QStringLiteral(" DESC"));
    QCOMPARE(lines.value(0), QStringLiteral("SELECT * FROM \"") + m_dataDir +
                                 ViewQuery::dirSeparator() + QStringLiteral("GameData.db\""));
    q.setSql(lines);
    q.open();
    QCOMPARE(q.statementText(), lines.join(u'\n'));
    QCOMPARE(q.recordCount(), 3);
    // Stored spelling of the fields, in table order.
    QCOMPARE(q.fieldNames(), (QStringList{"TITEL", "Rubrik", "Genre", "HERSTELLER", "WERTUNG",
                                          "Ausgabe", "KOMMENTAR"}));

    q.first();
    QCOMPARE(q.fieldByName(QStringLiteral("TITEL")), QStringLiteral("Traceur"));
    QCOMPARE(q.fieldByName(QStringLiteral("wertung")), QStringLiteral("100"));
    QCOMPARE(q.fieldByName(QStringLiteral("Ausgabe")), QStringLiteral("1997/10"));
    const int ausgabe = q.cachedFieldIndex(QStringLiteral("ausgabe"));
    const int rubrik = q.cachedFieldIndex(QStringLiteral("Rubrik"));
    QVERIFY(ausgabe >= 0 && rubrik >= 0);
    QCOMPARE(q.cachedBytes(ausgabe).toByteArray(), QByteArray("1997/10"));
    QCOMPARE(q.cachedBytes(rubrik, 2).toByteArray(), QByteArray("Strategie"));
    QCOMPARE(q.cachedBytes(ausgabe, 2).toByteArray(), QByteArray("1998/11"));

    q.next();
    QCOMPARE(q.fieldByName(QStringLiteral("HERSTELLER")), QStringLiteral("Nova"));
    QCOMPARE(q.value(2, q.fieldIndex(QStringLiteral("KOMMENTAR"))), QStringLiteral("schnell"));
    q.next();
    q.next();
    QVERIFY(q.eof());
    QVERIFY_THROWS_EXCEPTION(EngineError, q.fieldByName(QStringLiteral("NOTHERE")));
}

void ComposedQueryTest::doubleQuoteInTheTitleFindsTheTitle() {
    // The search page doubles a typed double quote, so the constant stays well formed.
    const QString dir = m_root.path() + QStringLiteral("/quotes");
    QVERIFY(QDir().mkpath(dir));
    TestSupport::makeTable(dir + QStringLiteral("/TipsData.db"), QStringLiteral("TipsData"),
                           TestSupport::kTipsSchema,
                           {{"12\" Racer", "2001/05", "Cheat", "1"},
                            {"O'Neil", "2001/06", "Lösung", "2"},
                            {"Racer", "2001/07", "Taktik", "3"}});
    const ViewDefinition& tips = Views::tips();
    for (const auto& [text, title] :
         {std::pair{QStringLiteral("12\" R"), QStringLiteral("12\" Racer")},
          std::pair{QStringLiteral("o'n"), QStringLiteral("O'Neil")}}) {
        ViewQueryParts parts{dir, tips.tableFile,          tips.name, SearchConditions::title(text),
                             {},  QStringLiteral("TITEL"), {}};
        Query q;
        q.setSql(ViewQuery::compose(parts).lines);
        q.open();
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q.fieldByName(QStringLiteral("TITEL")), title);
    }
}

QTEST_GUILESS_MAIN(ComposedQueryTest)

#include "test_composedquery.moc"
