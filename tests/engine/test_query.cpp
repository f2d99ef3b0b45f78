#include "EngineError.h"
#include "EngineFixture.h"
#include "Query.h"
#include "Table.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <sqlite3.h>

using EngineFixture::selectFrom;
using EngineFixture::titlesAndIssues;

// Writes the file a failure case starts from.
using TableMaker = std::function<void(const QString&)>;
Q_DECLARE_METATYPE(TableMaker)

class QueryTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void rowsOfAStatement_data();
    void rowsOfAStatement();
    void namesTheTableFileAnyWay_data();
    void namesTheTableFileAnyWay();
    void fieldsByNameAndPosition();
    void failuresAreEngineErrors_data();
    void failuresAreEngineErrors();
    void runsAgainAfterAFailure();
    void seesAFileReplacedWhileItWasOpen();
    void sortFollowsChangesToTheFile();

private:
    QString reviewsPath() const { return m_dataDir + QStringLiteral("/GameData.db"); }

    QTemporaryDir m_root;
    QString m_dataDir;
};

void QueryTest::initTestCase() {
    QVERIFY(m_root.isValid());
    m_dataDir = m_root.path() + QStringLiteral("/Spiel Daten Ä");
    QVERIFY(QDir().mkpath(m_dataDir));
    EngineFixture::makeReviews(reviewsPath());
}

void QueryTest::rowsOfAStatement_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QStringList>("rows"); // TITEL and AUSGABE of each row, in result order

    const QStringList byTitle{"apfel 1997/10",  "Arger 2002/01",      "Ärger 1999/03",
                              "Banane 2000/02", "Öl 1999/12",         "Rally 1998/11",
                              "Rally 2001/05",  "über alles 2002/03", "Zorn 2001/05"};
    QTest::newRow("by title: case ignored, umlauts beside their letter")
        << ""
        << "ORDER BY TITEL" << byTitle;
    QTest::newRow("by title descending, equal titles in stored order")
        << ""
        << "ORDER BY TITEL DESC"
        << QStringList{"Zorn 2001/05",  "über alles 2002/03", "Rally 1998/11",
                       "Rally 2001/05", "Öl 1999/12",         "Banane 2000/02",
                       "Ärger 1999/03", "Arger 2002/01",      "apfel 1997/10"};
    QTest::newRow("by title, newest issue first among equal titles")
        << ""
        << "ORDER BY TITEL, AUSGABE DESC"
        << QStringList{"apfel 1997/10",  "Arger 2002/01",      "Ärger 1999/03",
                       "Banane 2000/02", "Öl 1999/12",         "Rally 2001/05",
                       "Rally 1998/11",  "über alles 2002/03", "Zorn 2001/05"};
    QTest::newRow("rating descending: numbers by value, no rating last")
        << ""
        << "ORDER BY WERTUNG DESC, TITEL"
        << QStringList{"Ärger 1999/03", "Rally 1998/11",  "Rally 2001/05",
                       "apfel 1997/10", "Banane 2000/02", "Öl 1999/12",
                       "Zorn 2001/05",  "Arger 2002/01",  "über alles 2002/03"};
    QTest::newRow("rating ascending: no rating smallest")
        << ""
        << "ORDER BY WERTUNG, TITEL"
        << QStringList{"Arger 2002/01", "über alles 2002/03", "Zorn 2001/05",
                       "Öl 1999/12",    "apfel 1997/10",      "Banane 2000/02",
                       "Rally 1998/11", "Rally 2001/05",      "Ärger 1999/03"};
    QTest::newRow("latest issue first, ties by title")
        << ""
        << "ORDER BY AUSGABE DESC, TITEL"
        << QStringList{"über alles 2002/03", "Arger 2002/01",  "Rally 2001/05",
                       "Zorn 2001/05",       "Banane 2000/02", "Öl 1999/12",
                       "Ärger 1999/03",      "Rally 1998/11",  "apfel 1997/10"};
    QTest::newRow("LIKE is case-sensitive")
        << "WHERE RUBRIK LIKE \"%tra%\" "
        << "ORDER BY TITEL" << QStringList{"apfel 1997/10", "Zorn 2001/05"};
    QTest::newRow("capitals find no small letters") << "WHERE RUBRIK LIKE \"%TRA%\" "
                                                    << "ORDER BY TITEL" << QStringList{};
    QTest::newRow("small a only") << "WHERE TITEL LIKE \"%a%\" "
                                  << "ORDER BY TITEL"
                                  << QStringList{"apfel 1997/10", "Banane 2000/02", "Rally 1998/11",
                                                 "Rally 2001/05", "über alles 2002/03"};
    QTest::newRow("UPPER raises umlauts") << "WHERE UPPER(TITEL) LIKE \"%ÜBER%\" "
                                          << "ORDER BY TITEL" << QStringList{"über alles 2002/03"};
    QTest::newRow("an umlaut is not its base letter")
        << "WHERE UPPER(TITEL) LIKE \"%ÄRG%\" "
        << "ORDER BY TITEL" << QStringList{"Ärger 1999/03"};
    QTest::newRow("underscore takes one letter, umlaut too")
        << "WHERE TITEL LIKE \"_rger\" "
        << "ORDER BY TITEL" << QStringList{"Arger 2002/01", "Ärger 1999/03"};
    QTest::newRow("percent inside the pattern")
        << "WHERE UPPER(TITEL) LIKE \"%R%Y%\" "
        << "ORDER BY TITEL" << QStringList{"Rally 1998/11", "Rally 2001/05"};
    QTest::newRow("title and category joined")
        << "WHERE UPPER(TITEL) LIKE \"%L%\" AND RUBRIK LIKE \"%por%\" "
        << "ORDER BY AUSGABE DESC, TITEL" << QStringList{"Rally 2001/05", "Rally 1998/11"};
    QTest::newRow("minimum rating compares numbers")
        << "WHERE WERTUNG >= 70 "
        << "ORDER BY TITEL"
        << QStringList{"apfel 1997/10", "Ärger 1999/03", "Banane 2000/02", "Rally 1998/11",
                       "Rally 2001/05"};
    QTest::newRow("a quote inside a constant") << "WHERE UPPER(TITEL) LIKE \"%\"\"%\" "
                                               << "ORDER BY TITEL" << QStringList{};
}

void QueryTest::rowsOfAStatement() {
    QFETCH(QString, where);
    QFETCH(QString, order);
    QFETCH(QStringList, rows);

    QStringList lines{selectFrom(reviewsPath())};
    if (!where.isEmpty())
        lines << where;
    lines << order;
    Query q;
    q.setDatabaseDir(m_dataDir);
    q.setSql(lines);
    q.open();
    QVERIFY(q.isOpen());
    QCOMPARE(titlesAndIssues(q), rows);
}

void QueryTest::namesTheTableFileAnyWay_data() {
    QTest::addColumn<QString>("written"); // how the statement names the file
    const QString dir = m_dataDir;
    QString backslashed = dir;
    backslashed.replace(u'/', u'\\');
    QTest::newRow("as stored") << dir + "/GameData.db";
    QTest::newRow("backslash separators") << backslashed + "\\GameData.db";
    QTest::newRow("backslash before the file only") << dir + "\\GameData.db";
    QTest::newRow("other letter case") << dir + "/GAMEDATA.DB";
    QTest::newRow("bare file name in the database folder") << QStringLiteral("gamedata.db");
}

void QueryTest::namesTheTableFileAnyWay() {
    QFETCH(QString, written);
    Query q;
    q.setDatabaseDir(m_dataDir);
    q.setSql({selectFrom(written), QStringLiteral("ORDER BY TITEL")});
    q.open();
    QCOMPARE(q.recordCount(), EngineFixture::reviewCount());
}

void QueryTest::fieldsByNameAndPosition() {
    // A file that the disc names with a capital extension, opened by the program's name.
    const QString dir = m_root.path() + QStringLiteral("/disc");
    QVERIFY(QDir().mkpath(dir));
    TestSupport::makeTable(
        dir + QStringLiteral("/CDData.DB"), QStringLiteral("CDData"), TestSupport::kDiscSchema,
        {{"Rennfieber", "2001/05", "Demo", "CD"}, {"Treiberpaket", "2001/06", "Treiber", "\\N"}});
    Query q;
    q.setCachedFields({QStringLiteral("ART"), QStringLiteral("MEDIUM"), QStringLiteral("NONE")});
    q.setSql({selectFrom(dir + QStringLiteral("/CDData.db")), QStringLiteral("ORDER BY TITEL")});
    q.open();
    QCOMPARE(q.fieldNames(), (QStringList{"TITEL", "Ausgabe", "Art", "Medium"}));
    QCOMPARE(q.fieldCount(), 4);
    QCOMPARE(q.fieldIndex(QStringLiteral("medium")), 3);
    QCOMPARE(q.fieldIndex(QStringLiteral("NONE")), -1);

    q.first();
    QCOMPARE(q.recNo(), 0);
    QCOMPARE(q.fieldByName(QStringLiteral("AUSGABE")), QStringLiteral("2001/05"));
    QCOMPARE(q.fieldText(2), QStringLiteral("Demo"));
    QCOMPARE(q.cachedBytes(q.cachedFieldIndex(QStringLiteral("art"))).toByteArray(),
             QByteArray("Demo"));
    // A field the table lacks is not cached.
    QCOMPARE(q.cachedFieldIndex(QStringLiteral("NONE")), -1);
    q.next();
    QVERIFY(!q.eof());
    // A field that holds nothing reads as the empty text, cached or not.
    QCOMPARE(q.fieldByName(QStringLiteral("MEDIUM")), QString());
    QCOMPARE(q.value(1, 3), QString());
    QVERIFY(q.cachedBytes(q.cachedFieldIndex(QStringLiteral("Medium"))).isEmpty());
    q.next();
    QVERIFY(q.eof());
    q.next();
    QCOMPARE(q.recNo(), 2);
    QCOMPARE(q.value(5, 0), QString());

    q.close();
    QVERIFY(!q.isOpen());
    QVERIFY(q.eof());
    QCOMPARE(q.recordCount(), 0);
}

void QueryTest::failuresAreEngineErrors_data() {
    QTest::addColumn<QString>("file");     // created in a fresh folder by `make`
    QTest::addColumn<QStringList>("tail"); // statement lines after the SELECT line
    using Maker = TableMaker;
    QTest::addColumn<Maker>("make");

    const QStringList byTitle{QStringLiteral("ORDER BY TITEL")};
    const Maker reviews = [](const QString& p) { EngineFixture::makeReviews(p); };
    const Maker nothing = [](const QString&) {};
    QTest::newRow("missing file") << "GameData.db" << byTitle << nothing;
    QTest::newRow("missing folder") << "nowhere/GameData.db" << byTitle << nothing;
    QTest::newRow("not an SQLite file") << "GameData.db" << byTitle << Maker([](const QString& p) {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("TITEL\tAUSGABE\r\nSpace Race\t1998/11\r\n");
    });
    QTest::newRow("zero-byte file") << "GameData.db" << byTitle << Maker([](const QString& p) {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly));
    });
    QTest::newRow("file without its table")
        << "GameData.db" << byTitle << Maker([](const QString& p) {
               TestSupport::makeTable(p, QStringLiteral("Kunden"), QStringLiteral("NAME TEXT"),
                                      {{"x"}});
           });
    QTest::newRow("lone quote in the title text")
        << "GameData.db" << QStringList{"WHERE UPPER(TITEL) LIKE \"%A\"B%\" ", "ORDER BY TITEL"}
        << reviews;
    QTest::newRow("two quotes in the title text")
        << "GameData.db" << QStringList{"WHERE UPPER(TITEL) LIKE \"%A\"B\"C%\" ", "ORDER BY TITEL"}
        << reviews;
    QTest::newRow("unknown field in the condition")
        << "GameData.db" << QStringList{"WHERE NAME LIKE \"%a%\" ", "ORDER BY TITEL"} << reviews;
    QTest::newRow("unknown sort field") << "GameData.db" << QStringList{"ORDER BY NAME"} << reviews;
}

void QueryTest::failuresAreEngineErrors() {
    using Maker = TableMaker;
    QFETCH(QString, file);
    QFETCH(QStringList, tail);
    QFETCH(Maker, make);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(file);
    make(path);
    Query q;
    q.setSql(QStringList{selectFrom(path)} + tail);
    try {
        q.open();
        QFAIL("the statement ran");
    } catch (const EngineError& e) {
        QVERIFY(!e.message().isEmpty());
    }
    QVERIFY(!q.isOpen());
    QCOMPARE(q.recordCount(), 0);
    QVERIFY(q.eof());
}

void QueryTest::runsAgainAfterAFailure() {
    Query q;
    q.setSql({selectFrom(reviewsPath()), QStringLiteral("WHERE UPPER(TITEL) LIKE \"%A\"B%\" "),
              QStringLiteral("ORDER BY TITEL")});
    QVERIFY_THROWS_EXCEPTION(EngineError, q.open());
    q.close();
    q.setSql({selectFrom(reviewsPath()), QStringLiteral("WHERE UPPER(TITEL) LIKE \"%RA%\" "),
              QStringLiteral("ORDER BY TITEL")});
    q.open();
    QCOMPARE(titlesAndIssues(q), (QStringList{"Rally 1998/11", "Rally 2001/05"}));
}

void QueryTest::seesAFileReplacedWhileItWasOpen() {
    // A result of the old file stays open while the file is written anew (as a fresh copy
    // of the tables does); a new statement must read the new file.
    const QString dir = m_root.path() + QStringLiteral("/replaced");
    QVERIFY(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/TipsData.db");
    const QString schema = TestSupport::kTipsSchema;
    TestSupport::makeTable(path, QStringLiteral("TipsData"), schema,
                           {{"Alt", "1998/01", "Cheat", "1"}});
    Query old;
    old.setSql({selectFrom(path), QStringLiteral("ORDER BY TITEL")});
    old.open();
    QCOMPARE(old.recordCount(), 1);

    TestSupport::makeTable(path, QStringLiteral("TipsData"), schema,
                           {{"Neu", "2002/01", "Taktik", "2"}, {"Neuer", "2002/02", "Cheat", "3"}});
    Query fresh;
    fresh.setSql({selectFrom(path), QStringLiteral("ORDER BY TITEL")});
    fresh.open();
    QCOMPARE(titlesAndIssues(fresh), (QStringList{"Neu 2002/01", "Neuer 2002/02"}));
    QCOMPARE(titlesAndIssues(old), QStringList{"Alt 1998/01"});
}

void QueryTest::sortFollowsChangesToTheFile() {
    // Sorting and walked fields are served from what the engine read of the file before;
    // a change through the table object or through another connection must show.
    const QString dir = m_root.path() + QStringLiteral("/changing");
    QVERIFY(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/GameData.db");
    EngineFixture::makeReviews(path);
    const QStringList statement{selectFrom(path), QStringLiteral("ORDER BY TITEL")};
    const auto firstTitles = [&](int count) {
        Query q;
        q.setCachedFields({QStringLiteral("TITEL")});
        q.setSql(statement);
        q.open();
        QStringList out;
        for (int row = 0; row < count; ++row)
            out << QString::fromUtf8(q.cachedBytes(0, row)) + u'/' + q.value(row, 0);
        return out;
    };
    QCOMPARE(firstTitles(2), (QStringList{"apfel/apfel", "Arger/Arger"}));

    Table t;
    t.setDatabaseName(dir);
    t.setTableName(QStringLiteral("GameData.db"));
    t.setReadOnly(false);
    t.open();
    t.moveTo(1); // Zorn
    t.setFieldText(0, QStringLiteral("Aal"));
    t.post();
    QCOMPARE(firstTitles(2), (QStringList{"Aal/Aal", "apfel/apfel"}));

    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "UPDATE GameData SET TITEL='Abend' WHERE TITEL='Öl'", nullptr,
                          nullptr, nullptr),
             SQLITE_OK);
    sqlite3_close(db);
    QCOMPARE(firstTitles(3), (QStringList{"Aal/Aal", "Abend/Abend", "apfel/apfel"}));
}

ENGINE_TEST_MAIN(QueryTest)

#include "test_query.moc"
