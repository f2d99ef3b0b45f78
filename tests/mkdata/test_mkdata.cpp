#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

namespace {

struct RunResult {
    int exitCode = -1;
    QString errors;
};

RunResult runGenerator(const QStringList& arguments) {
    QProcess p;
    p.start(QStringLiteral(VANTORA_MKDATA_PATH), arguments);
    RunResult r;
    if (!p.waitForFinished(120000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.errors = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

QList<QStringList> rowsOf(const QString& dir, const QString& table, int columns) {
    QList<QStringList> rows;
    for (const QString& line : TestSupport::readTable(dir + u'/' + table + ".DB", table)) {
        rows << line.split(u'|');
        if (rows.last().size() != columns)
            qWarning() << "row with a wrong number of fields:" << line;
    }
    return rows;
}

// One query's single number, on a connection of its own.
qint64 scalar(const QString& file, const QString& sql) {
    sqlite3* db = nullptr;
    qint64 value = -1;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            value = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return value;
}

QString issueText(int index) {
    const int months = 1997 * 12 + 9 + index;
    return QStringLiteral("%1/%2")
        .arg(months / 12, 4, 10, QChar(u'0'))
        .arg(months % 12 + 1, 2, 10, QChar(u'0'));
}

const int kIssues = 57; // 1997/10 to 2002/06
const QStringList kSearchWords = {"Demo",     "Extras",  "Mods",  "Patch",
                                  "Programm", "Treiber", "Video", "Vollversion"};
const QStringList kStatisticsKeys = {"demo", "extr", "mods", "patc",
                                     "prog", "trei", "vide", "voll"};

// The search word whose letters 2 to 4 a disc category contains, or -1.
int searchMatch(const QString& category) {
    for (int i = 0; i < kSearchWords.size(); ++i)
        if (category.contains(kSearchWords[i].mid(1, 3)))
            return i;
    return -1;
}

// The statistics row a disc category is counted under, -1 for "Sonstiges".
int statisticsMatch(const QString& category) {
    for (int i = 0; i < kStatisticsKeys.size(); ++i)
        if (category.toLower().contains(kStatisticsKeys[i]))
            return i;
    return -1;
}

} // namespace

class TestMkdata : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void tableLayout_data();
    void tableLayout();
    void issueTexts_data();
    void issueTexts();
    void reviewValues();
    void discCategories();
    void discMedia();
    void tipValues();
    void titles();
    void titlesRecurAcrossTables();
    void defaultCountsPerIssue();
    void sameSeedSameRows();
    void countsHonoured_data();
    void countsHonoured();
    void badArguments_data();
    void badArguments();
    void failedWriteLeavesNoTemporaryFile();
    void rewriteReplacesArchive();

private:
    QTemporaryDir m_tmp;
    QString m_dir;
    QList<QStringList> m_games, m_disc, m_tips;
};

void TestMkdata::initTestCase() {
    QVERIFY(m_tmp.isValid());
    m_dir = m_tmp.filePath(QStringLiteral("default"));
    const RunResult r = runGenerator({"--out", m_dir, "--seed", "1"});
    QCOMPARE(r.exitCode, 0);
    m_games = rowsOf(m_dir, "GameData", 7);
    m_disc = rowsOf(m_dir, "CDData", 4);
    m_tips = rowsOf(m_dir, "TipsData", 4);
    QVERIFY(!m_games.isEmpty() && !m_disc.isEmpty() && !m_tips.isEmpty());
}

void TestMkdata::tableLayout_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("games") << "GameData" << TestSupport::kGamesSchema.split(QStringLiteral(", "));
    QTest::newRow("disc") << "CDData" << TestSupport::kDiscSchema.split(QStringLiteral(", "));
    QTest::newRow("tips") << "TipsData" << TestSupport::kTipsSchema.split(QStringLiteral(", "));
}

void TestMkdata::tableLayout() {
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    const QString file = m_dir + u'/' + table + ".DB";
    QCOMPARE(scalar(file, "SELECT count(*) FROM sqlite_master WHERE type='table'"), 1);

    QStringList found;
    sqlite3* db = nullptr;
    QCOMPARE(
        sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr),
        SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = QStringLiteral("PRAGMA table_info(\"%1\")").arg(table).toUtf8();
    QCOMPARE(sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr), SQLITE_OK);
    while (sqlite3_step(st) == SQLITE_ROW)
        found << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))) +
                     u' ' +
                     QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    QCOMPARE(found, columns);

    // The numeric fields hold whole numbers or NULL, never their text form.
    for (const QString& c : columns) {
        const QString name = c.section(u' ', 0, 0);
        const QString allowed = c.endsWith("INTEGER") ? "'integer','null'" : "'text'";
        QCOMPARE(scalar(file, QStringLiteral("SELECT count(*) FROM \"%1\" WHERE typeof(\"%2\") "
                                             "NOT IN (%3)")
                                  .arg(table, name, allowed)),
                 0);
    }
}

void TestMkdata::issueTexts_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("issueColumn");
    QTest::newRow("games") << "GameData" << 5;
    QTest::newRow("disc") << "CDData" << 1;
    QTest::newRow("tips") << "TipsData" << 1;
}

void TestMkdata::issueTexts() {
    QFETCH(QString, table);
    QFETCH(int, issueColumn);
    const QList<QStringList>& rows =
        table == "GameData" ? m_games : (table == "CDData" ? m_disc : m_tips);
    static const QRegularExpression shape(QStringLiteral("^\\d{4}/(0[1-9]|1[0-2])$"));
    QSet<QString> seen;
    QString previous;
    for (const QStringList& row : rows) {
        const QString issue = row[issueColumn];
        QVERIFY2(shape.match(issue).hasMatch(), qPrintable(issue));
        QVERIFY2(issue >= issueText(0) && issue <= issueText(kIssues - 1), qPrintable(issue));
        QVERIFY2(issue >= previous, "rows are stored issue by issue");
        previous = issue;
        seen << issue;
    }
    QCOMPARE(seen.size(), kIssues);
}

void TestMkdata::reviewValues() {
    const QStringList rubrics = {"Action",     "Strategie", "Sport",   "Simulationen",
                                 "Adventures", "Budget",    "Software"};
    const QStringList genres = {
        "Actionspiel",        "Strategiespiel", "Sportspiel",    "Wirtschaftssimulation",
        "Adventure",          "Flugsimulation", "Software",      "3D-Action",
        "Echtzeit-Strategie", "Aufbauspiel",    "Weltraumspiel", "Mechspiel",
        "Rennspiel",          "Rollenspiel"};
    QSet<QString> rubricsSeen;
    int unrated = 0;
    for (const QStringList& r : m_games) {
        QVERIFY2(rubrics.contains(r[1]), qPrintable(r[1]));
        QVERIFY2(genres.contains(r[2]), qPrintable(r[2]));
        QVERIFY(!r[3].isEmpty());
        QVERIFY(!r[6].isEmpty());
        rubricsSeen << r[1];
        if (r[4] == QLatin1String("\\N")) {
            ++unrated;
            continue;
        }
        bool ok = false;
        const int rating = r[4].toInt(&ok);
        QVERIFY2(ok && rating >= 0 && rating <= 100, qPrintable(r[4]));
    }
    QCOMPARE(rubricsSeen.size(), rubrics.size());
    QVERIFY(unrated > 0);
    QVERIFY(unrated < m_games.size() / 10);
}

void TestMkdata::discCategories() {
    QSet<int> searchWordsFound;
    int fallThrough = 0;
    for (const QStringList& r : m_disc) {
        const QString& category = r[2];
        // The search by letters 2 to 4 and the statistics by the first four letters agree.
        QVERIFY2(searchMatch(category) == statisticsMatch(category), qPrintable(category));
        if (searchMatch(category) < 0)
            ++fallThrough;
        else
            searchWordsFound << searchMatch(category);
    }
    QCOMPARE(searchWordsFound.size(), kSearchWords.size());
    QVERIFY(fallThrough > 0);
}

void TestMkdata::discMedia() {
    QSet<QString> lateMedia;
    for (const QStringList& r : m_disc) {
        const QString& medium = r[3];
        QVERIFY2(medium == "CD" || medium == "DVD" || medium == "CD/DVD", qPrintable(medium));
        if (r[1] < QLatin1String("2000/01"))
            QVERIFY2(medium == "CD", qPrintable(r.join(u'|')));
        else
            lateMedia << medium;
    }
    QCOMPARE(lateMedia, (QSet<QString>{"CD", "DVD", "CD/DVD"}));
}

void TestMkdata::tipValues() {
    const QStringList kinds = {"Cheat", "Kurztipp", "Lösung", "Taktik"};
    QSet<QString> seen;
    for (const QStringList& r : m_tips) {
        QVERIFY2(kinds.contains(r[2]), qPrintable(r[2]));
        seen << r[2];
        bool ok = false;
        const int counter = r[3].toInt(&ok);
        QVERIFY2(ok && counter > 0 && counter < 100, qPrintable(r[3]));
    }
    QCOMPARE(seen.size(), kinds.size());
}

void TestMkdata::titles() {
    int umlautFirst = 0;
    int lowerFirst = 0;
    for (const QList<QStringList>* rows : {&m_games, &m_disc, &m_tips}) {
        for (const QStringList& r : *rows) {
            const QString& title = r[0];
            QVERIFY(!title.isEmpty());
            QVERIFY2(!title.contains(u'"') && !title.contains(u'\t') && !title.contains(u'\n'),
                     qPrintable(title));
            if (QStringLiteral("ÄÖÜ").contains(title[0]))
                ++umlautFirst;
            if (title[0].isLower())
                ++lowerFirst;
        }
    }
    QVERIFY(umlautFirst > 0);
    QVERIFY(lowerFirst > 0);
}

void TestMkdata::titlesRecurAcrossTables() {
    QHash<QString, QString> firstReview; // title -> issue of its first review
    for (const QStringList& r : m_games)
        if (!firstReview.contains(r[0]))
            firstReview.insert(r[0], r[5]);
    int demosBeforeReview = 0;
    for (const QStringList& r : m_disc)
        if (searchMatch(r[2]) == 0 && firstReview.contains(r[0]) && r[1] < firstReview[r[0]])
            ++demosBeforeReview;
    int tipsAfterReview = 0;
    for (const QStringList& r : m_tips)
        if (firstReview.contains(r[0]) && r[1] > firstReview[r[0]])
            ++tipsAfterReview;
    QVERIFY2(demosBeforeReview > 100, qPrintable(QString::number(demosBeforeReview)));
    QVERIFY2(tipsAfterReview > m_tips.size() / 2, qPrintable(QString::number(tipsAfterReview)));
}

void TestMkdata::defaultCountsPerIssue() {
    const QList<std::pair<const QList<QStringList>*, int>> tables = {
        {&m_games, 60}, {&m_disc, 150}, {&m_tips, 80}};
    for (const auto& [rows, perIssue] : tables) {
        const int issueColumn = rows == &m_games ? 5 : 1;
        QHash<QString, int> counts;
        for (const QStringList& r : *rows)
            ++counts[r[issueColumn]];
        for (int n : counts) {
            QVERIFY2(n >= perIssue * 8 / 10 && n <= perIssue * 12 / 10,
                     qPrintable(QStringLiteral("%1 rows, about %2 expected").arg(n).arg(perIssue)));
        }
    }
}

void TestMkdata::sameSeedSameRows() {
    const QString again = m_tmp.filePath(QStringLiteral("again"));
    const QString other = m_tmp.filePath(QStringLiteral("other"));
    QCOMPARE(runGenerator({"--out", again, "--seed", "1"}).exitCode, 0);
    QCOMPARE(runGenerator({"--out", other, "--seed", "2"}).exitCode, 0);
    for (const QString table : {"GameData", "CDData", "TipsData"}) {
        const QString file = u'/' + table + ".DB";
        const QStringList first = TestSupport::readTable(m_dir + file, table);
        QCOMPARE(TestSupport::readTable(again + file, table), first);
        QVERIFY(TestSupport::readTable(other + file, table) != first);
    }
}

void TestMkdata::countsHonoured_data() {
    QTest::addColumn<int>("games");
    QTest::addColumn<int>("disc");
    QTest::addColumn<int>("tips");
    QTest::newRow("empty") << 0 << 0 << 0;
    QTest::newRow("tiny") << 1 << 2 << 3;
    QTest::newRow("fixture") << 40 << 60 << 30;
    QTest::newRow("uneven") << 570 << 57 << 1000;
}

void TestMkdata::countsHonoured() {
    QFETCH(int, games);
    QFETCH(int, disc);
    QFETCH(int, tips);
    const QString dir =
        m_tmp.filePath(QStringLiteral("counts-%1-%2-%3").arg(games).arg(disc).arg(tips));
    QVERIFY(TestSupport::makeArchive(dir, games, disc, tips));
    const QList<std::tuple<QString, int, int>> tables = {
        {"GameData", games, 5}, {"CDData", disc, 1}, {"TipsData", tips, 1}};
    for (const auto& [table, expected, issueColumn] : tables) {
        const QList<QStringList> rows = rowsOf(dir, table, table == "GameData" ? 7 : 4);
        QCOMPARE(rows.size(), expected);
        QSet<QString> issues;
        for (const QStringList& r : rows) {
            QVERIFY(r[issueColumn] >= issueText(0) && r[issueColumn] <= issueText(kIssues - 1));
            issues << r[issueColumn];
        }
        // Ten rows an issue or more reach every issue of the range.
        if (expected >= 10 * kIssues)
            QCOMPARE(issues.size(), kIssues);
    }
}

void TestMkdata::badArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no arguments") << QStringList{};
    QTest::newRow("no folder") << QStringList{"--seed", "3"};
    QTest::newRow("folder value missing") << QStringList{"--out"};
    QTest::newRow("negative count") << QStringList{"--out", "@", "--games", "-1"};
    QTest::newRow("count not a number") << QStringList{"--out", "@", "--tips", "viele"};
    QTest::newRow("seed not a number") << QStringList{"--out", "@", "--seed", "x1"};
    QTest::newRow("unknown option") << QStringList{"--out", "@", "--ratings", "5"};
    QTest::newRow("stray argument") << QStringList{"--out", "@", "extra"};
}

void TestMkdata::badArguments() {
    QFETCH(QStringList, arguments);
    const QString dir = m_tmp.filePath(QStringLiteral("bad"));
    arguments.replaceInStrings(QStringLiteral("@"), dir);
    const RunResult r = runGenerator(arguments);
    QVERIFY(r.exitCode > 0);
    QVERIFY(!r.errors.trimmed().isEmpty());
    QVERIFY(QDir(dir).entryList(QDir::Files).isEmpty());
}

void TestMkdata::failedWriteLeavesNoTemporaryFile() {
    // A folder in the way of the first table file makes putting it in place fail.
    const QString dir = m_tmp.filePath(QStringLiteral("blocked"));
    QVERIFY(QDir().mkpath(dir + "/GameData.DB"));
    const RunResult r = runGenerator({"--out", dir, "--games", "5", "--disc", "5", "--tips", "5"});
    QVERIFY(r.exitCode > 0);
    QVERIFY2(r.errors.contains("GameData.DB"), qPrintable(r.errors));
    QCOMPARE(QDir(dir).entryList(QDir::Files), QStringList{});

    const QString file = m_tmp.filePath(QStringLiteral("plain-file"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    const RunResult onFile = runGenerator({"--out", file});
    QVERIFY(onFile.exitCode > 0);
    QVERIFY(!onFile.errors.trimmed().isEmpty());
}

void TestMkdata::rewriteReplacesArchive() {
    const QString dir = m_tmp.filePath(QStringLiteral("rewrite"));
    QVERIFY(TestSupport::makeArchive(dir, 20, 20, 20, 1));
    QVERIFY(TestSupport::makeArchive(dir, 30, 31, 32, 2));
    QCOMPARE(TestSupport::readTable(dir + "/GameData.DB", "GameData").size(), 30);
    QCOMPARE(TestSupport::readTable(dir + "/CDData.DB", "CDData").size(), 31);
    QCOMPARE(TestSupport::readTable(dir + "/TipsData.DB", "TipsData").size(), 32);
    QCOMPARE(QDir(dir).entryList(QDir::Files, QDir::Name),
             (QStringList{"CDData.DB", "GameData.DB", "TipsData.DB"}));
}

QTEST_GUILESS_MAIN(TestMkdata)
#include "test_mkdata.moc"
