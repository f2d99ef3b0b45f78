// Whatever the cache folder holds, the tables show what they show with an empty one, and the
// cache writes nowhere but in its folder: twin tables, damaged cache files, another table's
// file, files planted in a folder of another user, and odd files in place of a cache file. The
// files the cache leaves behind are removed without touching anything else.
#include "Connection.h"
#include "EngineFixture.h"
#include "ImageCache.h"
#include "ImageCacheFile.h"
#include "Query.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

const QString kSchema =
    QStringLiteral("TITEL TEXT, Rubrik TEXT, HERSTELLER TEXT, WERTUNG INTEGER, Ausgabe TEXT");
constexpr int kRows = 4000;
// Two titles of one length: the twins differ in one of them, on a page far from the start.
const QString kTwinTitles[] = {QStringLiteral("Ritterburg"), QStringLiteral("Raumschiff")};

void makeArchiveTable(const QString& path, int seed) {
    static const char* const rubrics[] = {"Action", "Sport", "Strategie", "Adventures", "Budget"};
    static const char* const makers[] = {"Kalmor", "Nordlicht", "Ostwind", "Zephyr", "Blau"};
    QRandomGenerator rng{quint32(seed)};
    TestSupport::Rows rows;
    for (int i = 0; i < kRows; ++i)
        rows << QStringList{
            QStringLiteral("Titel %1 Spiel").arg(rng.bounded(kRows)),
            QLatin1String(rubrics[rng.bounded(5)]), QLatin1String(makers[rng.bounded(5)]),
            rng.bounded(9) ? QString::number(rng.bounded(101)) : QStringLiteral("\\N"),
            QStringLiteral("%1/%2")
                .arg(1997 + rng.bounded(6))
                .arg(1 + rng.bounded(12), 2, 10, QLatin1Char('0'))};
    TestSupport::makeTable(path, QStringLiteral("Spiele"), kSchema, rows);
}

bool runSql(const QString& path, const QString& sql) {
    sqlite3* db = nullptr;
    const bool ok =
        sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK &&
        sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// What a reader sees of a table: title searches, heading sorts, and the statistics of the
// categories (rows and the sum of the ratings of each).
QStringList seen(const QString& path) {
    QStringList out;
    const auto rowsOf = [&](const QString& tail) {
        Query q;
        q.setSql({EngineFixture::selectFrom(path), tail});
        q.open();
        QStringList rows;
        for (int row = 0; row < q.recordCount(); ++row)
            rows << QString::number(q.rowId(row)) + u' ' + q.value(row, 0);
        return rows.join(u',');
    };
    for (const QString& title : kTwinTitles)
        out << rowsOf(QStringLiteral("WHERE UPPER(TITEL) LIKE '%") + title.toUpper() +
                      QStringLiteral("%' ORDER BY TITEL"));
    out << rowsOf(QStringLiteral("WHERE UPPER(TITEL) LIKE '%12%' ORDER BY HERSTELLER DESC, TITEL"))
        << rowsOf(QStringLiteral("ORDER BY WERTUNG, TITEL"));
    Query all;
    all.setSql({EngineFixture::selectFrom(path)});
    all.setCachedFields({QStringLiteral("Rubrik"), QStringLiteral("WERTUNG")});
    all.open();
    const TableImage::Coded* rubric = all.cachedCoded(0);
    const TableImage::Coded* rating = all.cachedCoded(1);
    std::map<QString, std::pair<int, qint64>> figures;
    all.walkStoredOrder([&](uint32_t slot) {
        auto& f = figures[QString::fromUtf8(rubric->distinct.texts.at(rubric->codes[slot]))];
        ++f.first;
        f.second += rating->distinct.texts.at(rating->codes[slot]).toLongLong();
    });
    for (const auto& [name, f] : figures)
        out << QStringLiteral("%1: %2 %3").arg(name).arg(f.first).arg(f.second);
    return out;
}

// Runs seen() with the cache under `home`, then waits for the cache files it writes.
QStringList seenWith(const QString& home, const QString& path) {
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home));
    const QStringList s = seen(path);
    Connection::finishSorts();
    ImageCache::finishWrites();
    return s;
}

// What a program of its own, with nothing in memory yet, shows of the table with the cache under
// `home`; a null text when it did not end well within two minutes.
QString seenByAnotherProgram(const QString& home, const QString& path) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--seen"), path});
    if (!child.waitForFinished(120000)) {
        child.kill();
        child.waitForFinished();
        return {};
    }
    return child.exitCode() == 0 ? QString::fromUtf8(child.readAllStandardOutput()) : QString();
}

// Whether a fresh open of the table takes anything from the cache under `home`.
bool takesCache(const QString& home, const QString& path) {
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home));
    const std::shared_ptr<Connection> c = Connection::open(path);
    return c->image()->hasCoded(c->fieldIndex(QStringLiteral("Rubrik")));
}

QStringList imageFiles(const QString& home) {
    return QDir(home + QStringLiteral("/vantora"))
        .entryList({QStringLiteral("*.image")}, QDir::Files | QDir::System);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Sets the times of `path` itself (not of a link's target) to `hours` ago.
bool ageBy(const QString& path, int hours) {
    timespec times[2];
    times[0].tv_sec = times[1].tv_sec = ::time(nullptr) - time_t(hours) * 3600;
    times[0].tv_nsec = times[1].tv_nsec = 0;
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) ==
           0;
}

} // namespace

class TestHostileCache : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void twinTablesKeepTheirOwnRows();
    void damagedFilesAreBuiltAnew();
    void anotherTablesFileIsNotTaken();
    void plantedFilesAndLinks_data();
    void plantedFilesAndLinks();
    void oddFilesInPlaceOfACacheFile_data();
    void oddFilesInPlaceOfACacheFile();
    void leftFilesAreRemoved();

private:
    QTemporaryDir m_root;
    QString m_games, m_other;
    QStringList m_expected, m_expectedOther;
    int m_fresh = 0;
    // A cache home no run has used.
    QString freshHome() { return m_root.path() + QStringLiteral("/home-%1").arg(++m_fresh); }
    // A cache home holding what a run over the games table wrote, and the name of that file.
    QString filledHome(QString* name);
};

QString TestHostileCache::filledHome(QString* name) {
    const QString home = freshHome();
    seenWith(home, m_games);
    const QStringList files = imageFiles(home);
    *name = files.value(0);
    return files.size() == 1 ? home : QString();
}

void TestHostileCache::initTestCase() {
    QVERIFY(m_root.isValid());
    for (const char* folder : {"/games", "/other"})
        QVERIFY(QDir().mkpath(m_root.path() + QLatin1String(folder)));
    m_games = m_root.path() + QStringLiteral("/games/Spiele.DB");
    m_other = m_root.path() + QStringLiteral("/other/Spiele.DB");
    makeArchiveTable(m_games, 1);
    makeArchiveTable(m_other, 2);
    m_expected = seenWith(freshHome(), m_games);
    m_expectedOther = seenWith(freshHome(), m_other);
    QVERIFY(m_expected != m_expectedOther);
}

void TestHostileCache::twinTablesKeepTheirOwnRows() {
    // Two copies of one table, each with one title changed to another of the same length on a
    // page far from the start: same size, header and change counter, different contents.
    QStringList twins;
    for (int i = 0; i < 2; ++i) {
        const QString dir = m_root.path() + QStringLiteral("/twin-%1").arg(i);
        QVERIFY(QDir().mkpath(dir));
        twins << dir + QStringLiteral("/Spiele.DB");
        QVERIFY(QFile::copy(m_games, twins[i]));
        QVERIFY(runSql(twins[i], QStringLiteral("UPDATE Spiele SET TITEL = '%1' WHERE rowid = %2")
                                     .arg(kTwinTitles[i])
                                     .arg(kRows - 7)));
    }
    QFile a(twins[0]), b(twins[1]);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(a.size(), b.size());
    QCOMPARE(a.read(100), b.read(100));
    QVERIFY(a.readAll() != b.readAll());

    const QString home = freshHome();
    const QStringList first = seenWith(home, twins[0]);
    QCOMPARE(first, seenWith(freshHome(), twins[0]));
    QCOMPARE(seenWith(home, twins[1]), seenWith(freshHome(), twins[1]));
    QCOMPARE(first.value(0), QStringLiteral("%1 %2").arg(kRows - 7).arg(kTwinTitles[0]));
    QCOMPARE(imageFiles(home).size(), 2);

    // The first twin overwritten in place by the second, in the same run that proved it: the
    // same file, size and header, and only its times tell the change.
    QFile twin(twins[1]);
    QVERIFY(twin.open(QIODevice::ReadOnly));
    QVERIFY(writeFile(twins[0], twin.readAll()));
    const QByteArray description("Spiele");
    QCOMPARE(ContentProof::of(twins[0], description).key,
             ContentProof::of(twins[1], description).key);
    QCOMPARE(seenWith(home, twins[0]), seenWith(freshHome(), twins[1]));
}

void TestHostileCache::damagedFilesAreBuiltAnew() {
    QString name;
    const QString home = filledHome(&name);
    QVERIFY(!home.isEmpty());
    const QString file = home + QStringLiteral("/vantora/") + name;
    QFile in(file);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const QByteArray intact = in.readAll();
    in.close();
    QVERIFY(takesCache(home, m_games));
    QRandomGenerator rng(20261209);
    for (int i = 0; i < 150; ++i) {
        QByteArray bytes = intact;
        switch (i % 3) {
        case 0: // cut short anywhere
            bytes.truncate(rng.bounded(bytes.size()));
            break;
        case 1: // one bit flipped
            bytes[rng.bounded(bytes.size())] ^= char(1 << rng.bounded(8));
            break;
        default: // a few bytes overwritten
            for (int k = 1 + rng.bounded(4); k > 0; --k)
                bytes[rng.bounded(bytes.size())] = char(rng.bounded(256));
        }
        QVERIFY(writeFile(file, bytes));
        const QStringList now = seenWith(home, m_games);
        QVERIFY2(now == m_expected, qPrintable(QStringLiteral("mutation %1").arg(i)));
    }
}

void TestHostileCache::anotherTablesFileIsNotTaken() {
    QString name;
    const QString home = filledHome(&name);
    QVERIFY(!home.isEmpty());
    seenWith(home, m_other);
    const QStringList files = imageFiles(home);
    QCOMPARE(files.size(), 2);
    const QString otherName = files[0] == name ? files[1] : files[0];
    const QString dir = home + QStringLiteral("/vantora/");
    QVERIFY(QFile::remove(dir + name));
    QVERIFY(QFile::copy(dir + otherName, dir + name));
    QVERIFY(!takesCache(home, m_games));
    QCOMPARE(seenWith(home, m_games), m_expected);
}

void TestHostileCache::plantedFilesAndLinks_data() {
    QTest::addColumn<QString>("owner");
    QTest::addColumn<int>("mode");
    QTest::newRow("folder of another user") << QStringLiteral("nobody") << 0755;
    QTest::newRow("folder others may write") << QString() << 01777;
}

void TestHostileCache::plantedFilesAndLinks() {
    QFETCH(QString, owner);
    QFETCH(int, mode);
    // A forged file for the games table: the other table's parts under the games table's key,
    // made as anyone who can read the table can make it.
    QString name;
    const QString filled = filledHome(&name);
    QVERIFY(!filled.isEmpty());
    const QByteArray key = QByteArray::fromHex(name.section(u'.', 0, 0).toLatin1());
    const QString otherHome = freshHome();
    seenWith(otherHome, m_other);
    const QStringList otherFiles = imageFiles(otherHome);
    QCOMPARE(otherFiles.size(), 1);
    const QString otherFile = otherHome + QStringLiteral("/vantora/") + otherFiles[0];
    auto contents = ImageCacheFile::read(::open(QFile::encodeName(otherFile), O_RDONLY),
                                         QByteArray::fromHex(otherFiles[0].left(32).toLatin1()), 5);
    QVERIFY(contents);
    ImageCacheFile::Snapshot forged;
    forged.rowCount = contents->rowCount;
    forged.firstRowid = contents->firstRowid;
    forged.rowids = &contents->rowids;
    QVERIFY(forged.addEarlier(*contents));
    QFile out(m_root.path() + QStringLiteral("/forged.image"));
    QVERIFY(out.open(QIODevice::WriteOnly) && ImageCacheFile::write(key, forged, out));
    out.close();
    // In a folder of the user's own the forgery would be taken: it is one to be feared.
    QVERIFY(writeFile(filled + QStringLiteral("/vantora/") + name, [&] {
        QFile f(out.fileName());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }()));
    QVERIFY(seenWith(filled, m_games) != m_expected);

    const QString home = freshHome();
    const QString dir = home + QStringLiteral("/vantora");
    QVERIFY(QDir().mkpath(dir));
    QVERIFY(QFile::copy(out.fileName(), dir + u'/' + name));
    const QString canary = m_root.path() + QStringLiteral("/canary-%1").arg(m_fresh);
    QVERIFY(writeFile(canary, "canary\n"));
    QVERIFY(QFile::link(canary, dir + u'/' + otherFiles[0]));
    QCOMPARE(::chmod(QFile::encodeName(dir), mode_t(mode)), 0);
    if (!owner.isEmpty()) {
        const passwd* other = ::getpwnam(owner.toLocal8Bit().constData());
        if (::geteuid() != 0 || !other)
            QSKIP("giving a folder to another user needs root and that user");
        const QByteArray d = QFile::encodeName(dir);
        QCOMPARE(::lchown((d + '/' + QFile::encodeName(name)).constData(), other->pw_uid, 0), 0);
        QCOMPARE(::chown(d.constData(), other->pw_uid, other->pw_gid), 0);
    }
    QCOMPARE(seenWith(home, m_games), m_expected);
    QCOMPARE(seenWith(home, m_other), m_expectedOther);
    QFile c(canary);
    QVERIFY(c.open(QIODevice::ReadOnly));
    QCOMPARE(c.readAll(), QByteArray("canary\n"));
    QCOMPARE(imageFiles(home).size(), 2);
}

void TestHostileCache::oddFilesInPlaceOfACacheFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("named pipe") << QStringLiteral("pipe");
    QTest::newRow("device") << QStringLiteral("device");
    QTest::newRow("folder") << QStringLiteral("folder");
}

void TestHostileCache::oddFilesInPlaceOfACacheFile() {
    QFETCH(QString, kind);
    QString name;
    const QString home = filledHome(&name);
    QVERIFY(!home.isEmpty());
    const QByteArray place = QFile::encodeName(home + QStringLiteral("/vantora/") + name);
    QVERIFY(QFile::remove(QString::fromLocal8Bit(place)));
    if (kind == QLatin1String("pipe"))
        QCOMPARE(::mkfifo(place.constData(), 0600), 0);
    else if (kind == QLatin1String("folder"))
        QCOMPARE(::mkdir(place.constData(), 0700), 0);
    else if (::mknod(place.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
        QSKIP("making a device needs root");
    // In a process of its own: a start blocked on the pipe never ends.
    QCOMPARE(seenByAnotherProgram(home, m_games), m_expected.join(u'\n') + u'\n');
}

void TestHostileCache::leftFilesAreRemoved() {
    QString games;
    const QString home = filledHome(&games);
    QVERIFY(!home.isEmpty());
    const QString dir = home + QStringLiteral("/vantora/");
    const QString canary = m_root.path() + QStringLiteral("/prune-canary");
    QVERIFY(writeFile(canary, "canary\n"));
    const QString unused = QString(32, u'0') + QStringLiteral(".image");
    const QString huge = QString(32, u'1') + QStringLiteral(".image");
    const QString recent = QString(32, u'2') + QStringLiteral(".image");
    const QString link = QString(32, u'3') + QStringLiteral(".image");
    const QString killedWrite = games + QStringLiteral(".new-k1");
    const QString runningWrite = games + QStringLiteral(".new-r2");
    const QString other = QStringLiteral("notes.txt");
    for (const QString& name : {unused, recent, killedWrite, runningWrite, other})
        QVERIFY(writeFile(dir + name, "x"));
    // A file as large as the whole budget, without taking the room (sparse).
    QVERIFY(writeFile(dir + huge, {}));
    QVERIFY(QFile(dir + huge).resize(qint64(3) << 30));
    QVERIFY(QFile::link(canary, dir + link));
    QVERIFY(ageBy(dir + unused, 24 * 40) && ageBy(dir + other, 24 * 40) &&
            ageBy(dir + link, 24 * 40) && ageBy(dir + killedWrite, 2) && ageBy(dir + huge, 24) &&
            ageBy(dir + games, 24 * 40));

    // The games' file is used by a start, then a table new to the cache is written, which
    // clears up after itself.
    QCOMPARE(seenByAnotherProgram(home, m_games), m_expected.join(u'\n') + u'\n');
    const QString third = m_root.path() + QStringLiteral("/third/Spiele.DB");
    QVERIFY(QDir().mkpath(QFileInfo(third).path()));
    makeArchiveTable(third, 3);
    QCOMPARE(seenWith(home, third), seenWith(freshHome(), third));
    QStringList left = QDir(dir).entryList(QDir::Files | QDir::System);
    QVERIFY2(left.removeAll(games) == 1, "the file just used was removed");
    QCOMPARE(imageFiles(home).size(), 4); // games, the third table, recent, link
    QVERIFY(left.contains(recent) && left.contains(runningWrite) && left.contains(other) &&
            left.contains(link));
    QVERIFY(!left.contains(unused) && !left.contains(huge) && !left.contains(killedWrite));
    QFile c(canary);
    QVERIFY(c.open(QIODevice::ReadOnly));
    QCOMPARE(c.readAll(), QByteArray("canary\n"));
}

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--seen") == 0) {
        QCoreApplication app(argc, argv);
        for (const QString& line : seen(QString::fromLocal8Bit(argv[2])))
            std::printf("%s\n", line.toUtf8().constData());
        ImageCache::finishWrites();
        return 0;
    }
    return EngineFixture::runTest(argc, argv, [] { return std::make_unique<TestHostileCache>(); });
}

#include "test_hostilecache.moc"
