#include "BuildTurns.h"
#include "Capitals.h"
#include "Connection.h"
#include "EngineError.h"
#include "EngineFixture.h"
#include "ImageCache.h"
#include "ImageCacheFile.h"
#include "Query.h"
#include "SqlFunctions.h"
#include "Table.h"
#include "TableImage.h"
#include "TestSupport.h"
#include "TitleMatches.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sqlite3.h>

namespace {

// A table to evaluate statements over: how to make it, and a change a second connection
// makes after the engine has read it once.
struct Subject {
    QString file;         // e.g. "GameData.DB"
    QString change;       // SQL run through a second connection, may be empty
    QString category;     // the field a category condition looks into
    QString number;       // an integer field for >=, may be empty
    QStringList sortKeys; // fields a heading click sorts by
};

// Titles, categories and issues that hit every corner of the conditions and the collation.
const QList<QStringList> kOddRows = {
    {"Fußball Manager", "Demo", "\\N", "1999/03", "1.5"},
    {"FUSSBALL 2000", "Vollversion", "85", "2000/11", "\\N"},
    {"100% Action", "Demo", "100", "1998/01", "2"},
    {"Mega_Race", "Patch", "0", "1998/01", "-0.5"},
    {"Der \"Pate\"", "Demo", "abc", "2001/05", "abc"},
    {"l'Ärger", "Treiber", "70", "1999/12", "7"},
    {"Ärger", "Demo", "70", "1999/12", "7.0"},
    {"Arger", "\\N", "71", "2002/01", "1e3"},
    {"arger", "Video", "-5", "2002/01", "0"},
    {"\\N", "Demo", "85", "\\N", "\\N"},
    {"", "", "", "", ""},
    {"straße", "Demo", "9", "2001/05", "3"},
    {"ŒUVRE ﬁnal", "Bild", "50", "1997/10", "2.5"},
    {"1942", "Demo", "1942", "1997/10", "1942"},
};

const QString kOddSchema =
    QStringLiteral("TITEL TEXT, ART TEXT, WERTUNG INTEGER, AUSGABE TEXT, ZAHL REAL");

// The engine's functions and collation, straight through SQLite: the reference.
QList<qint64> sqliteRowids(const QString& path, const QString& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    SqlFunctions::registerAll(db);
    sqlite3_stmt* st = nullptr;
    QList<qint64> ids;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
        qWarning() << "reference rejected:" << sqlite3_errmsg(db) << sql;
    while (st && sqlite3_step(st) == SQLITE_ROW)
        ids << sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return ids;
}

// The first column of the first row of a reference statement, as text.
QString sqliteText(const QString& path, const QString& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    QString text;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return text;
}

void runSql(const QString& path, const QString& sql) {
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const QString message = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(message));
}

QString sqlQuoted(const QString& text) {
    return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}

QString dialectQuoted(const QString& text) {
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// One random view statement: in the program's dialect and as reference SQL.
struct Statement {
    QStringList lines;
    QString reference;
};

Statement randomStatement(QRandomGenerator& rng, const QStringList& titles, const QString& path,
                          const QString& table, const Subject& subject) {
    const QStringList& sortFields = subject.sortKeys;
    static const QStringList extras{"ß", "SS", "Ä", "%", "_", "\"", "'", "A", "E", " ", "1", "ﬁ"};
    QStringList dialect, reference;
    if (rng.bounded(5) != 0) {
        // A piece of a real title as the box upper-cases it, sometimes with an odd letter.
        QString piece;
        const QString title = titles.isEmpty() ? QString() : titles[rng.bounded(titles.size())];
        if (!title.isEmpty()) {
            const int from = rng.bounded(title.size());
            piece = Capitals::ofText(title.mid(from, 1 + rng.bounded(4)));
        }
        if (rng.bounded(3) == 0)
            piece.insert(rng.bounded(piece.size() + 1), extras[rng.bounded(extras.size())]);
        dialect << QStringLiteral("UPPER(TITEL) LIKE ") + dialectQuoted(u'%' + piece + u'%');
        reference << QStringLiteral("upper(TITEL) LIKE ") + sqlQuoted(u'%' + piece + u'%');
    }
    if (rng.bounded(3) == 0) {
        static const QStringList kinds{"Demo", "emo", "Vol", "Pat", "xyz", "%", "_"};
        const QString like = u'%' + kinds[rng.bounded(kinds.size())] + u'%';
        dialect << subject.category + QStringLiteral(" LIKE ") + dialectQuoted(like);
        reference << subject.category + QStringLiteral(" LIKE ") + sqlQuoted(like);
    }
    if (!subject.number.isEmpty() && rng.bounded(3) == 0) {
        const QString least = QString::number(rng.bounded(0, 101));
        dialect << subject.number + QStringLiteral(" >= ") + least;
        reference << subject.number + QStringLiteral(" >= ") + least;
    }
    const QString first = sortFields[rng.bounded(sortFields.size())];
    const bool desc = rng.bounded(2) == 0;
    const QString second =
        first == QLatin1String("TITEL") ? QStringLiteral("AUSGABE DESC") : QStringLiteral("TITEL");
    Statement s;
    s.lines << EngineFixture::selectFrom(path);
    if (!dialect.isEmpty())
        s.lines << QStringLiteral("WHERE ") + dialect.join(QStringLiteral(" AND ")) + u' ';
    s.lines << QStringLiteral("ORDER BY ") + first + (desc ? QStringLiteral(" DESC") : QString()) +
                   QStringLiteral(", ") + second;
    const auto collated = [](const QString& term) {
        const bool d = term.endsWith(QLatin1String(" DESC"));
        return QString(term).remove(QStringLiteral(" DESC")) + QStringLiteral(" COLLATE VANTORA") +
               (d ? QStringLiteral(" DESC") : QString());
    };
    s.reference =
        QStringLiteral("SELECT rowid FROM \"%1\" ").arg(table) +
        (reference.isEmpty() ? QString()
                             : QStringLiteral("WHERE ") + reference.join(QStringLiteral(" AND "))) +
        QStringLiteral(" ORDER BY ") +
        collated(first + (desc ? QStringLiteral(" DESC") : QString())) + QStringLiteral(", ") +
        collated(second) + QStringLiteral(", rowid");
    return s;
}

QList<qint64> engineRowids(const QStringList& lines) {
    Query q;
    q.setSql(lines);
    q.open();
    QList<qint64> ids;
    for (int row = 0; row < q.recordCount(); ++row)
        ids << q.rowId(row);
    return ids;
}

} // namespace

Q_DECLARE_METATYPE(Subject)

class ViewEvaluationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sameRowsAsSqlite_data();
    void sameRowsAsSqlite();
    void cacheFilesFollowTheContents();
    void sortsBuiltAsideMatchSqlite_data();
    void sortsBuiltAsideMatchSqlite();
    void largeStoredPartsCarryOver();
    void exactUpperTitles();
    void titleSearchStaysWithinEachRow();
    void emptyTitleBoxLeavesOutNullTitles_data();
    void emptyTitleBoxLeavesOutNullTitles();
    void fieldNamedRowidKeepsRecordsApart();
    void tableWithoutRowIdsIsRefused_data();
    void tableWithoutRowIdsIsRefused();

private:
    QTemporaryDir m_root;
    QString m_archive;
};

void ViewEvaluationTest::initTestCase() {
    QVERIFY(m_root.isValid());
    m_archive = m_root.path() + QStringLiteral("/archive");
    QVERIFY(TestSupport::makeArchive(m_archive, 300, 300, 300, 11));
}

void ViewEvaluationTest::sameRowsAsSqlite_data() {
    QTest::addColumn<Subject>("subject");
    const QStringList discKeys{"TITEL", "AUSGABE", "ART", "MEDIUM"};
    QTest::newRow("generated games")
        << Subject{"GameData.DB",
                   {},
                   "RUBRIK",
                   "WERTUNG",
                   {"TITEL", "AUSGABE", "WERTUNG", "RUBRIK", "HERSTELLER", "GENRE"}};
    QTest::newRow("generated disc items, rows inserted by another program")
        << Subject{"CDData.DB",
                   "INSERT INTO CDData (TITEL, Ausgabe, Art) SELECT TITEL || 'ß', '2003/01', Art "
                   "FROM CDData WHERE rowid % 7 = 0",
                   "ART",
                   {},
                   discKeys};
    QTest::newRow("generated tips, rows deleted by another program")
        << Subject{"TipsData.DB", "DELETE FROM TipsData WHERE rowid % 3 = 1", "ART", "COUNTER",
                   QStringList{"TITEL", "AUSGABE", "ART", "COUNTER"}};
    QTest::newRow("odd values, changed by another program")
        << Subject{"Odd.DB",
                   "UPDATE Odd SET ZAHL = 85.5, WERTUNG = 85.5 WHERE TITEL LIKE 'A%';"
                   "UPDATE Odd SET TITEL = 'zzz' WHERE ART = 'Patch'",
                   "ART",
                   "WERTUNG",
                   {"TITEL", "AUSGABE", "ART", "WERTUNG", "ZAHL"}};
}

void ViewEvaluationTest::sameRowsAsSqlite() {
    QFETCH(Subject, subject);
    const QString dir = m_root.path() + u'/' + QTest::currentDataTag();
    QVERIFY(QDir().mkpath(dir));
    const QString path = dir + u'/' + subject.file;
    const QString table = subject.file.section(u'.', 0, 0);
    if (table == QLatin1String("Odd"))
        TestSupport::makeTable(path, table, kOddSchema, kOddRows);
    else
        QVERIFY(QFile::copy(m_archive + u'/' + subject.file, path));

    // Read once, so the change below lands on a table the engine holds in memory.
    QCOMPARE(engineRowids({EngineFixture::selectFrom(path), QStringLiteral("ORDER BY TITEL")}),
             sqliteRowids(path, QStringLiteral("SELECT rowid FROM \"%1\" ORDER BY TITEL COLLATE "
                                               "VANTORA, rowid")
                                    .arg(table)));
    if (!subject.change.isEmpty())
        runSql(path, subject.change);
    // What was built is in the cache now; each statement below opens the file anew and reads
    // it back, unless the change above made it stale.
    ImageCache::finishWrites();

    QStringList titles;
    {
        Query all;
        all.setSql({EngineFixture::selectFrom(path)});
        all.open();
        for (int row = 0; row < all.recordCount(); ++row)
            titles << all.value(row, 0);
    }
    QVERIFY(titles.size() >= kOddRows.size());
    QRandomGenerator rng(20261208);
    for (int i = 0; i < 150; ++i) {
        const Statement s = randomStatement(rng, titles, path, table, subject);
        const QList<qint64> expected = sqliteRowids(path, s.reference);
        QCOMPARE(engineRowids(s.lines), expected);
        // The same statement in a shape only SQLite evaluates gives the same rows too.
        if (s.lines.size() == 3) {
            QStringList wrapped = s.lines;
            wrapped[1] = QStringLiteral("WHERE (") + wrapped[1].mid(6) + QStringLiteral(") ");
            QCOMPARE(engineRowids(wrapped), expected);
        }
    }
}

void ViewEvaluationTest::cacheFilesFollowTheContents() {
    // Two copies of one table share a cache file; a damaged file is rebuilt, a change made by
    // another program gets a file of its own.
    const QDir cache(ImageCache::folder());
    const auto cacheFiles = [&] { return cache.entryList(QDir::Files); };
    const QStringList before = cacheFiles();
    const auto rowsOf = [](const QString& path) {
        const QStringList lines{EngineFixture::selectFrom(path),
                                QStringLiteral("ORDER BY WERTUNG DESC, TITEL")};
        const QList<qint64> rows = engineRowids(lines);
        ImageCache::finishWrites();
        return rows;
    };
    const QString reference = QStringLiteral("SELECT rowid FROM Odd ORDER BY WERTUNG COLLATE "
                                             "VANTORA DESC, TITEL COLLATE VANTORA, rowid");
    QStringList paths;
    for (const char* folder : {"/copy-a", "/copy-b"}) {
        QVERIFY(QDir().mkpath(m_root.path() + QLatin1String(folder)));
        paths << m_root.path() + QLatin1String(folder) + QStringLiteral("/Odd.DB");
    }
    TestSupport::makeTable(paths[0], QStringLiteral("Odd"), kOddSchema, kOddRows);
    // Contents no other test has, so the cache file is this test's own.
    runSql(paths[0], QStringLiteral("UPDATE Odd SET TITEL = 'Kopie' WHERE TITEL = '1942'"));
    QVERIFY(QFile::copy(paths[0], paths[1]));
    QCOMPARE(rowsOf(paths[0]), sqliteRowids(paths[0], reference));
    const QStringList after = cacheFiles();
    const QStringList added = QSet<QString>(after.begin(), after.end())
                                  .subtract(QSet<QString>(before.begin(), before.end()))
                                  .values();
    QCOMPARE(added.size(), 1);
    QCOMPARE(rowsOf(paths[1]), sqliteRowids(paths[1], reference));
    QCOMPARE(cacheFiles().size(), before.size() + 1);

    QFile damaged(cache.filePath(added.first()));
    QVERIFY(damaged.open(QIODevice::ReadWrite));
    QVERIFY(damaged.resize(damaged.size() / 2));
    damaged.close();
    QCOMPARE(rowsOf(paths[1]), sqliteRowids(paths[1], reference));

    runSql(paths[1], QStringLiteral("UPDATE Odd SET WERTUNG = 99 WHERE TITEL = 'Arger'"));
    QCOMPARE(rowsOf(paths[1]), sqliteRowids(paths[1], reference));
    QCOMPARE(cacheFiles().size(), before.size() + 2);
}

void ViewEvaluationTest::sortsBuiltAsideMatchSqlite_data() {
    QTest::addColumn<QString>("change");
    QTest::newRow("file unchanged") << QString();
    QTest::newRow("changed by another program while the build waits")
        << QStringLiteral("UPDATE Odd SET TITEL = 'Zuletzt', WERTUNG = 7 WHERE ART = 'Demo'");
}

void ViewEvaluationTest::sortsBuiltAsideMatchSqlite() {
    // Ranks and first rows built on a thread of their own are taken in only for the contents
    // they were read from; either way every heading sort gives SQLite's rows.
    QFETCH(QString, change);
    const QString dir = m_root.path() + QStringLiteral("/aside-") + QString::number(change.size());
    QVERIFY(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/Odd.DB");
    TestSupport::makeTable(path, QStringLiteral("Odd"), kOddSchema, kOddRows);
    // Contents no other test has, so nothing comes from the cache.
    runSql(
        path,
        QStringLiteral("UPDATE Odd SET ZAHL = %1 WHERE TITEL = 'straße'").arg(4 + change.size()));
    const std::shared_ptr<Connection> conn = Connection::open(path);
    const std::vector<int> fields{0, 1, 2, 3, 4};
    const TableImage::SortSpec latest{{3, true}, {0, false}};
    // Held as an open result holds it, so what is taken in stays in memory.
    const std::shared_ptr<TableImage> image = conn->image();
    {
        // Holding the line of builds keeps this one waiting until the change is made.
        const std::atomic<bool> never{false};
        const BuildTurns::Turn held(BuildTurns::take(), never);
        QVERIFY(held.held());
        conn->prepareSorts(fields, {});
        conn->prepareHead(latest, 3);
        if (!change.isEmpty())
            runSql(path, change);
    }
    // Each build is awaited and taken in, whichever thread ends first.
    QVERIFY(conn->awaitHead(latest));
    for (int f : fields)
        conn->awaitSorts({{f, false}});
    ImageCache::finishWrites();
    for (int f : fields)
        QCOMPARE(conn->image()->hasRanks(f), change.isEmpty());
    // The first rows of the latest-issue look-up, read aside too.
    QCOMPARE(conn->image()->hasHead(latest, 3), change.isEmpty());
    QList<qint64> head;
    for (uint32_t slot : conn->image()->headOfAll(latest, 3))
        head << conn->image()->rowid(slot);
    QCOMPARE(head,
             sqliteRowids(path, QStringLiteral("SELECT rowid FROM Odd ORDER BY AUSGABE COLLATE "
                                               "VANTORA DESC, TITEL COLLATE VANTORA, rowid "
                                               "LIMIT 3")));
    for (const QString& field : {"TITEL", "ART", "WERTUNG", "AUSGABE", "ZAHL"})
        for (const char* direction : {"", " DESC"}) {
            const QString order = field + QLatin1String(direction) +
                                  (field == QLatin1String("TITEL") ? "" : ", TITEL");
            QCOMPARE(engineRowids({EngineFixture::selectFrom(path), "ORDER BY " + order}),
                     sqliteRowids(path, QStringLiteral("SELECT rowid FROM Odd ORDER BY %1 "
                                                       "COLLATE VANTORA%2, TITEL COLLATE "
                                                       "VANTORA, rowid")
                                            .arg(field, QLatin1String(direction))));
        }
}

void ViewEvaluationTest::largeStoredPartsCarryOver() {
    // A later cache file copies the parts of the earlier one not read since: a field of
    // several megabytes, not a whole number of them, and a coded field arrive byte for byte.
    TestSupport::Rows rows;
    for (int i = 0; i < 30011; ++i)
        rows << QStringList{QStringLiteral("Titel %1 ").arg(i).repeated(9 + i % 5),
                            QString::number(i % 97)};
    const QString path = m_root.path() + QStringLiteral("/Large.DB");
    TestSupport::makeTable(path, QStringLiteral("Large"), QStringLiteral("TITEL TEXT, N INTEGER"),
                           rows);
    sqlite3* db = nullptr;
    QCOMPARE(
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr),
        SQLITE_OK);
    const QStringList fields{QStringLiteral("TITEL"), QStringLiteral("N")};
    const QByteArray key("contents of Large");
    const auto write = [&](const TableImage& image, const QString& file) {
        QFile out(file);
        return out.open(QIODevice::WriteOnly) && ImageCacheFile::write(key, image.snapshot(), out);
    };
    const auto read = [&](TableImage& image, const QString& file) {
        auto contents = ImageCacheFile::read(::open(QFile::encodeName(file), O_RDONLY), key, 2);
        if (contents)
            image.takeStored(std::move(*contents));
        return contents.has_value();
    };
    TableImage first(db, QStringLiteral("Large"), fields, QStringLiteral("rowid"));
    first.load({0});
    first.loadCoded({1});
    QVERIFY(first.values(0).texts.bytes.size() > 3u << 20);
    QVERIFY(write(first, m_root.path() + QStringLiteral("/first.image")));
    TableImage second(db, QStringLiteral("Large"), fields, QStringLiteral("rowid"));
    QVERIFY(read(second, m_root.path() + QStringLiteral("/first.image")));
    second.load({1});
    QVERIFY(write(second, m_root.path() + QStringLiteral("/second.image")));
    sqlite3_close(db);

    // Without a file to fall back on, a damaged part could not be built anew.
    TableImage later(nullptr, QStringLiteral("Large"), fields, QStringLiteral("rowid"));
    QVERIFY(read(later, m_root.path() + QStringLiteral("/second.image")));
    QVERIFY(later.values(0).texts.bytes == first.values(0).texts.bytes);
    QVERIFY(later.values(0).texts.ends == first.values(0).texts.ends);
    QVERIFY(later.values(1).bits == second.values(1).bits);
    QVERIFY(later.coded(1).codes == first.coded(1).codes);
    QVERIFY(later.coded(1).distinct.bits == first.coded(1).distinct.bits);
    QCOMPARE(later.coded(1).distinct.types.size(), 97u);
}

void ViewEvaluationTest::exactUpperTitles() {
    // Rows of a table whose upper-cased title equals a given one, as UPPER(TITEL) = UPPER(?).
    const QString path = m_root.path() + QStringLiteral("/exact/Odd.DB");
    QVERIFY(QDir().mkpath(m_root.path() + QStringLiteral("/exact")));
    TestSupport::makeTable(path, QStringLiteral("Odd"), kOddSchema, kOddRows);
    const auto conn = Connection::open(path);
    const auto image = conn->image();
    for (const QString& title : {"ärger", "Arger", "STRASSE", "straße", "1942", "", "none"}) {
        QList<qint64> ids;
        for (uint32_t slot :
             image->slotsWithUpperText(0, Capitals::ofUtf8(QByteArrayView(title.toUtf8()))))
            ids << image->rowid(slot);
        QCOMPARE(ids, sqliteRowids(path, QStringLiteral("SELECT rowid FROM Odd WHERE upper(TITEL) "
                                                        "= upper(%1) ORDER BY rowid")
                                             .arg(sqlQuoted(title))));
    }

    // The title index behind the menu of a record: its few candidates, read back from the file,
    // give the same records, newest issue first, as SQLite for the exact title. Trailing
    // blanks count, and a row id past 32 bits is found as well as any other.
    runSql(path, QStringLiteral("INSERT INTO Odd (TITEL, ART, AUSGABE) VALUES ('Arger ', 'Demo', "
                                "'2003/01'), ('ÄRGER', 'Bild', NULL); INSERT INTO Odd (rowid, "
                                "TITEL, ART, AUSGABE) VALUES (5000000000, 'ärger', 'Patch', "
                                "'1999/12')"));
    const auto matches = [&](const QString& title) {
        QStringList lines;
        for (const TitleMatch& m :
             TitleMatches::find(*conn, QStringLiteral("TITEL"), QStringLiteral("ART"),
                                QStringLiteral("AUSGABE"), title))
            lines << m.category + u' ' + m.issue;
        return lines;
    };
    const auto reference = [&](const QString& title) {
        QStringList lines;
        for (qint64 id : sqliteRowids(
                 path, QStringLiteral("SELECT rowid FROM Odd WHERE upper(TITEL) = upper(%1) ORDER "
                                      "BY AUSGABE IS NULL, AUSGABE COLLATE BINARY DESC, rowid")
                           .arg(sqlQuoted(title))))
            lines << sqliteText(path, QStringLiteral("SELECT coalesce(ART, '') || ' ' || "
                                                     "coalesce(AUSGABE, '') FROM Odd WHERE rowid "
                                                     "= %1")
                                          .arg(id));
        return lines;
    };
    const QStringList titles{"ärger",  "Arger ",     "arger", "STRASSE",
                             "straße", "œuvre ﬁnal", "",      "none"};
    for (const QString& title : titles)
        QCOMPARE(matches(title), reference(title));
    QCOMPARE(matches(QStringLiteral("ärger")).size(), 3);
    // A change by another program is seen by the next look-up.
    runSql(path, QStringLiteral("UPDATE Odd SET TITEL = 'Straße' WHERE TITEL = 'Arger'"));
    for (const QString& title : titles)
        QCOMPARE(matches(title), reference(title));
}

void ViewEvaluationTest::titleSearchStaysWithinEachRow() {
    // Upper-cased titles lie end to end in memory: a fragment found across two neighbouring
    // titles ("xAB" + "CDy") matches neither, one at a title's very start or end does.
    const QString dir = m_root.path() + QStringLiteral("/within");
    QVERIFY(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/Odd.DB");
    TestSupport::Rows rows;
    for (const char* title : {"xab", "CDy", "\\N", "", "abcd", "B", "cd", "ab", "ßa", "Ssa"})
        rows.push_back({title, "Demo", "1", "1997/10", "1"});
    TestSupport::makeTable(path, QStringLiteral("Odd"), kOddSchema, rows);
    for (const QString& fragment :
         {"BC", "BCD", "ABCD", "DAB", "YAB", "B", "AB", "X", "CD", "DYX", "SSA", "ASS", "AC"}) {
        const QString like = u'%' + fragment + u'%';
        QCOMPARE(engineRowids({EngineFixture::selectFrom(path),
                               QStringLiteral("WHERE UPPER(TITEL) LIKE ") + dialectQuoted(like),
                               QStringLiteral("ORDER BY TITEL")}),
                 sqliteRowids(path, QStringLiteral("SELECT rowid FROM Odd WHERE upper(TITEL) LIKE "
                                                   "%1 ORDER BY TITEL COLLATE VANTORA, rowid")
                                        .arg(sqlQuoted(like))));
    }
}

void ViewEvaluationTest::emptyTitleBoxLeavesOutNullTitles_data() {
    QTest::addColumn<int>("untitled");
    QTest::newRow("few untitled rows") << 4;
    QTest::newRow("more untitled rows than are looked up one by one") << 5000;
}

void ViewEvaluationTest::emptyTitleBoxLeavesOutNullTitles() {
    // A pattern of "%" alone matches every title but NULL, and an empty text is not NULL;
    // the same holds whether the titles' values are in memory or only their capitals.
    QFETCH(int, untitled);
    const QString dir = m_root.path() + QStringLiteral("/untitled-%1").arg(untitled);
    QVERIFY(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/Odd.DB");
    TestSupport::Rows rows = kOddRows;
    for (int i = 0; i < untitled; ++i)
        rows.push_back({i % 3 == 0 ? "" : "\\N", "Demo", "1", "1997/10", "1"});
    rows.push_back({"Zak", "Demo", "1", "1997/10", "1"});
    TestSupport::makeTable(path, QStringLiteral("Odd"), kOddSchema, rows);
    // Only the empty pattern needs the titles' values as a whole; the others ask for NULLs.
    for (const QString& like : {"%%", "%", "%%%", "", "%%"}) {
        const QList<qint64> expected =
            sqliteRowids(path, QStringLiteral("SELECT rowid FROM Odd WHERE upper(TITEL) LIKE %1 "
                                              "ORDER BY TITEL COLLATE VANTORA, rowid")
                                   .arg(sqlQuoted(like)));
        QVERIFY(!expected.isEmpty());
        QCOMPARE(engineRowids({EngineFixture::selectFrom(path),
                               QStringLiteral("WHERE UPPER(TITEL) LIKE ") + dialectQuoted(like),
                               QStringLiteral("ORDER BY TITEL")}),
                 expected);
    }
}

void ViewEvaluationTest::fieldNamedRowidKeepsRecordsApart() {
    // A field may be called like the row id; one edit must still change exactly one record.
    const QString dir = m_root.path() + QStringLiteral("/rowid-field");
    QVERIFY(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/TipsData.DB");
    TestSupport::makeTable(
        path, QStringLiteral("TipsData"), QStringLiteral("rowid INTEGER, TITEL TEXT, AUSGABE TEXT"),
        {{"7", "Gamma", "2001/07"}, {"7", "Alpha", "2001/05"}, {"7", "Beta", "2001/06"}});
    Table t;
    t.setDatabaseName(dir);
    t.setTableName(QStringLiteral("TipsData.DB"));
    t.setReadOnly(false);
    t.open();
    t.moveTo(1);
    t.setFieldText(1, QStringLiteral("Aleph"));
    t.post();
    t.close();
    QCOMPARE(TestSupport::readTable(path, QStringLiteral("TipsData")),
             (QStringList{"7|Gamma|2001/07", "7|Aleph|2001/05", "7|Beta|2001/06"}));

    Query q;
    q.setCachedFields({QStringLiteral("AUSGABE")});
    q.setSql({EngineFixture::selectFrom(path), QStringLiteral("ORDER BY TITEL")});
    q.open();
    QStringList rows;
    for (int row = 0; row < q.recordCount(); ++row)
        rows << q.value(row, 1) + u' ' + QString::fromUtf8(q.cachedBytes(0, row));
    QCOMPARE(rows, (QStringList{"Aleph 2001/05", "Beta 2001/06", "Gamma 2001/07"}));
}

void ViewEvaluationTest::tableWithoutRowIdsIsRefused_data() {
    QTest::addColumn<QString>("create");
    QTest::newRow("every name of the row id taken")
        << "CREATE TABLE TipsData (rowid TEXT, oid TEXT, _rowid_ TEXT, TITEL TEXT)";
    QTest::newRow("without row ids")
        << "CREATE TABLE TipsData (TITEL TEXT PRIMARY KEY, AUSGABE TEXT) WITHOUT ROWID";
}

void ViewEvaluationTest::tableWithoutRowIdsIsRefused() {
    QFETCH(QString, create);
    const QString dir = m_root.path() + u'/' + QTest::currentDataTag();
    QVERIFY(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/TipsData.DB");
    runSql(path, create);
    try {
        Connection::open(path);
        QFAIL("opened a table without usable row ids");
    } catch (const EngineError& e) {
        QCOMPARE(e.message(), QStringLiteral("Die Tabelle TipsData.DB hat keine eindeutigen "
                                             "Zeilennummern und kann nicht geöffnet werden."));
    }
}

ENGINE_TEST_MAIN(ViewEvaluationTest)

#include "test_viewevaluation.moc"
