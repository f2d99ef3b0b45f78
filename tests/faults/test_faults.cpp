// Damaged files, full disks, killed processes and racing starts: what the user sees and
// what is on disk afterwards.
#include "AppFixture.h"
#include "AppState.h"
#include "AppWindows.h"
#include "ClickArea.h"
#include "Connection.h"
#include "EngineError.h"
#include "StripPicture.h"
#include "TForm1.h"
#include "Table.h"
#include "TestSupport.h"
#include "UserSteps.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <sqlite3.h>

namespace {

using TestSupport::kGamesSchema;

QString integrity(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    QString result = QStringLiteral("cannot check");
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return result;
}

// Child mode: posts records one by one into the table file and reports each on stdout,
// then waits to be killed.
int childPost(const QString& dir, int count) {
    Table t;
    t.setDatabaseName(dir);
    t.setTableName(QStringLiteral("CDData.db"));
    t.setReadOnly(false);
    t.open();
    for (int i = 0; i < count; ++i) {
        t.append();
        t.setFieldText(0, QStringLiteral("KILL-%1").arg(i));
        t.setFieldText(1, QStringLiteral("2001/01"));
        t.post();
        std::printf("posted %d\n", i);
        std::fflush(stdout);
    }
    for (;;)
        QThread::msleep(100);
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    void damagedTableFileIsAnEngineError_data();
    void damagedTableFileIsAnEngineError();
    void lockedTableRefusesThePostAndKeepsTheRecord();
    void fullDiskDuringPostKeepsTheRecordInEditState();
    void readOnlyDataFolderRefusesEdits();
    void killedRightAfterAPostLosesNothing();
    void twoCopiesStartedTogetherLeaveOne();
    void staleLockOfAKilledCopyDoesNotBlock();
};

void TestFaults::damagedTableFileIsAnEngineError_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("otherSchema");
    QTest::newRow("zero bytes") << QByteArray() << false;
    QTest::newRow("not a database") << QByteArray("Dies ist keine Tabelle.\r\n") << false;
    QTest::newRow("truncated") << QByteArray() << false; // filled in below
    QTest::newRow("another schema") << QByteArray() << true;
}

void TestFaults::damagedTableFileIsAnEngineError() {
    QFETCH(QByteArray, content);
    QFETCH(bool, otherSchema);
    AppFixture app;
    QVERIFY(app.makeArchive());
    const QString games = app.dataDir() + "/GameData.DB";
    if (QTest::currentDataTag() == QLatin1String("truncated")) {
        QFile f(games);
        QVERIFY(f.open(QIODevice::ReadOnly));
        content = f.read(f.size() / 3);
    }
    if (otherSchema) {
        QFile::remove(games);
        TestSupport::makeTable(games, "Kunden", "NAME TEXT", {{"x"}});
    } else {
        QFile f(games);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    const QByteArray before = [&] {
        QFile f(games);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();

    QCOMPARE(app.start(), StartupOutcome::Running);
    // The games view cannot be read: one clear error, no crash, the rest still works.
    QVERIFY(!app.boxes.isEmpty());
    QVERIFY2(app.boxes.first().startsWith("error: "), qPrintable(app.boxes.join('|')));
    QVERIFY(Form1->Image2->isEnabled());
    app.boxes.clear();
    UserSteps::showView(UserSteps::Disc);
    QVERIFY2(app.boxes.isEmpty(), qPrintable(app.boxes.join('|')));
    QVERIFY(Form1->Query1.recordCount() > 0);
    // Nothing was written to the damaged file.
    QFile f(games);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestFaults::lockedTableRefusesThePostAndKeepsTheRecord() {
    QTemporaryDir dir;
    TestSupport::makeTable(dir.path() + "/GameData.DB", "GameData", kGamesSchema,
                           {{"A", "Action", "", "", "50", "2001/01", ""}});
    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName("GameData.db");
    t.setReadOnly(false);
    t.open();
    // The record as the grid shows it, before another program locks the file.
    QCOMPARE(t.fieldText(0), QStringLiteral("A"));
    // Another program holds a write lock on the file.
    sqlite3* other = nullptr;
    sqlite3_open(QFile::encodeName(dir.path() + "/GameData.DB").constData(), &other);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    t.setFieldText(0, "B");
    QVERIFY_THROWS_EXCEPTION(EngineError, t.post());
    QCOMPARE(t.state(), Table::State::Edit);
    QCOMPARE(t.fieldText(0), QStringLiteral("B"));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    t.post();
    QCOMPARE(TestSupport::readTable(dir.path() + "/GameData.DB", "GameData").value(0).left(2),
             QStringLiteral("B|"));
}

void TestFaults::fullDiskDuringPostKeepsTheRecordInEditState() {
    QTemporaryDir dir;
    QList<QStringList> rows;
    for (int i = 0; i < 50; ++i)
        rows << QStringList{QString("Spiel %1").arg(i), "Action", "", "", "50", "2001/01", ""};
    TestSupport::makeTable(dir.path() + "/GameData.DB", "GameData", kGamesSchema, rows);
    Table t;
    t.setDatabaseName(dir.path());
    t.setTableName("GameData.db");
    t.setReadOnly(false);
    t.open();
    // The file may not grow by a single page: the next big record finds the disk full.
    auto conn = Connection::open(dir.path() + "/GameData.DB");
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(conn->handle(), "PRAGMA page_count", -1, &st, nullptr);
    sqlite3_step(st);
    const int pages = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    conn->exec(QByteArray("PRAGMA max_page_count=" + QByteArray::number(pages)).constData());
    t.append();
    t.setFieldText(0, QString(20000, u'x'));
    try {
        t.post();
        QFAIL("the post should have failed");
    } catch (const EngineError& e) {
        QVERIFY2(e.message().contains("full", Qt::CaseInsensitive), qPrintable(e.message()));
    }
    QCOMPARE(t.state(), Table::State::Insert);
    QCOMPARE(integrity(dir.path() + "/GameData.DB"), QStringLiteral("ok"));
    QCOMPARE(TestSupport::readTable(dir.path() + "/GameData.DB", "GameData").size(), 50);
}

void TestFaults::readOnlyDataFolderRefusesEdits() {
    AppFixture app;
    QVERIFY(app.makeArchive());
    QFile::setPermissions(app.dataDir() + "/GameData.DB", QFile::ReadOwner | QFile::ReadUser);
    QFile::setPermissions(app.dataDir(), QFile::ReadOwner | QFile::ExeOwner);
    if (QFileInfo(app.dataDir()).isWritable())
        QSKIP("running with rights that ignore file permissions");
    QCOMPARE(app.start(), StartupOutcome::Running);
    QCOMPARE(Form1->Query1.recordCount(), 40);
    UserSteps::switchEditMode();
    QVERIFY(Form1->Table1.isOpen());
    QVERIFY_THROWS_EXCEPTION(EngineError, Form1->Table1.setFieldText(0, "X"));
    QFile::setPermissions(app.dataDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestFaults::killedRightAfterAPostLosesNothing() {
    QTemporaryDir dir;
    TestSupport::makeTable(dir.path() + "/CDData.DB", "CDData", TestSupport::kDiscSchema,
                           {{"Alt", "1999/01", "Demo", "CD"}});
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {"--child-post", dir.path(), "25"});
    QVERIFY(child.waitForStarted());
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += child.readAllStandardOutput()).contains("posted 24"), 30000);
    ::kill(pid_t(child.processId()), SIGKILL);
    child.waitForFinished();
    const QString file = dir.path() + "/CDData.DB";
    QCOMPARE(integrity(file), QStringLiteral("ok"));
    const QStringList rows = TestSupport::readTable(file, "CDData");
    QCOMPARE(rows.size(), 26);
    for (int i = 0; i < 25; ++i)
        QVERIFY(rows.contains(QString("KILL-%1|2001/01||").arg(i)));
}

namespace {
QProcessEnvironment programEnvironment(const QString& root) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", root + "/config");
    env.insert("XDG_CONFIG_DIRS", root + "/xdg");
    env.insert("XDG_DATA_HOME", root + "/data");
    env.insert("XDG_CACHE_HOME", root + "/cache");
    env.insert("XDG_RUNTIME_DIR", root + "/runtime");
    return env;
}

void prepareDisc(const QString& root, const QString& disc) {
    QDir().mkpath(root + "/config/Kalmor");
    QDir().mkpath(root + "/runtime");
    QFile::setPermissions(root + "/runtime",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile ini(root + "/config/Kalmor/Vantora-Engine.ini");
    ini.open(QIODevice::WriteOnly);
    ini.write("[General]\nEngine-Version=1.00\n");
    ini.close();
    QVERIFY(TestSupport::makeArchive(disc + "/DATA"));
}

int running(QList<QProcess*>& ps) {
    int n = 0;
    for (QProcess* p : ps)
        n += p->state() == QProcess::Running;
    return n;
}
} // namespace

void TestFaults::twoCopiesStartedTogetherLeaveOne() {
    QTemporaryDir root;
    const QString disc = root.path() + "/disc";
    prepareDisc(root.path(), disc);
    QList<QProcess*> copies;
    for (int i = 0; i < 2; ++i) {
        auto* p = new QProcess(this);
        p->setProcessEnvironment(programEnvironment(root.path()));
        p->setWorkingDirectory(disc);
        copies << p;
    }
    for (QProcess* p : copies)
        p->start(VANTORA_PROGRAM_PATH, {});
    // One of the two ends by itself, quietly; the other goes on.
    QTRY_COMPARE_WITH_TIMEOUT(running(copies), 1, 20000);
    QTest::qWait(1000);
    QCOMPARE(running(copies), 1);
    for (QProcess* p : copies) {
        if (p->state() == QProcess::NotRunning)
            QCOMPARE(p->exitCode(), 0);
        p->kill();
        p->waitForFinished();
    }
    qDeleteAll(copies);
}

void TestFaults::staleLockOfAKilledCopyDoesNotBlock() {
    QTemporaryDir root;
    const QString disc = root.path() + "/disc";
    prepareDisc(root.path(), disc);
    QProcess first;
    first.setProcessEnvironment(programEnvironment(root.path()));
    first.setWorkingDirectory(disc);
    first.start(VANTORA_PROGRAM_PATH, {});
    QVERIFY(first.waitForStarted());
    QTest::qWait(1500);
    QCOMPARE(first.state(), QProcess::Running);
    ::kill(pid_t(first.processId()), SIGKILL);
    first.waitForFinished();

    QProcess next;
    next.setProcessEnvironment(programEnvironment(root.path()));
    next.setWorkingDirectory(disc);
    next.start(VANTORA_PROGRAM_PATH, {});
    QVERIFY(next.waitForStarted());
    QTest::qWait(2000);
    QCOMPARE(next.state(), QProcess::Running);
    next.kill();
    next.waitForFinished();
}

int main(int argc, char** argv) {
    if (argc == 4 && QByteArray(argv[1]) == "--child-post") {
        QCoreApplication app(argc, argv);
        return childPost(QString::fromLocal8Bit(argv[2]), atoi(argv[3]));
    }
    QApplication app(argc, argv);
    TestFaults tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "test_faults.moc"
