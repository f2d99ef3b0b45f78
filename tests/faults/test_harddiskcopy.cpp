// The hard-disk mode's copy of the disc's tables under real faults: a program killed while
// it stores into its copy, and a copy taken while another program writes the source. The
// next start must give, every time, a copy equal to the disc's table and intact.
//
// The programs that are killed or that write run in child processes: this test program
// started again with one of the --child-... arguments.
#include "AppFixture.h"
#include "AppState.h"
#include "AppWindows.h"
#include "ChildProcess.h"
#include "ClickArea.h"
#include "StripPicture.h"
#include "TForm1.h"
#include "TForm2.h"
#include "Table.h"
#include "TableChecks.h"
#include "TableCopy.h"
#include "TestSupport.h"
#include "UserSteps.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <sqlite3.h>

using TestSupport::Rows;

namespace {

using TestSupport::kDiscSchema;
using TestSupport::kGamesSchema;
using TestSupport::kTipsSchema;

Rows discRows(int count) {
    Rows rows;
    for (int i = 0; i < count; ++i)
        rows << QStringList{QStringLiteral("Disc %1").arg(i), "2002/05", "Demo", "CD"};
    return rows;
}

void say(const QByteArray& line) {
    std::printf("%s\n", line.constData());
    std::fflush(stdout);
}

[[noreturn]] void waitToBeKilled() {
    for (;;)
        QThread::msleep(100);
}

// --- Child side ----------------------------------------------------------------------

// Starts the hard-disk program over a disc of its own and stores into the copy of the
// disc-content table: posts by hand in a loop, or one long import. Never returns.
int childStoring(bool importing) {
    AppFixture app;
    const QString data = app.dataDir();
    TestSupport::makeTables(data,
                            {{"Aqua", "Action", "Actionspiel", "Kalmor", "85", "2002/06", "gut"}},
                            discRows(300), {{"Aqua", "2002/05", "Cheat", "3"}});
    QByteArray file;
    for (int i = 0; i < 50000; ++i)
        file += "Import " + QByteArray::number(i) + "\t2002/05\tDemo\tCD\r\n";
    app.openFileAnswer = app.writeImportFile(file);
    say("root " + QFile::encodeName(app.root()));
    if (app.start(QStringLiteral("vantorahd")) != StartupOutcome::Running)
        return 3;
    UserSteps::showView(UserSteps::Disc);
    UserSteps::switchEditMode();
    if (State().EditMode != 1 || !Form1->Table1.isOpen())
        return 4;
    say("started");
    if (importing) {
        Form2->Button3Click();
        say("finished");
        waitToBeKilled();
    }
    Table& t = Form1->Table1;
    for (int i = 0;; ++i) {
        t.moveTo(i % t.recordCount());
        t.setFieldByName(QStringLiteral("TITEL"), QStringLiteral("Geändert %1").arg(i));
        t.post();
        t.append();
        t.setFieldByName(QStringLiteral("TITEL"), QStringLiteral("Neu %1").arg(i));
        t.setFieldByName(QStringLiteral("AUSGABE"), QStringLiteral("2002/06"));
        t.post();
    }
}

// Writes the table file in transactions of many rows, as an import of another program
// does, until killed. A write that has to give up waiting is reported.
int childWriter(const QString& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
        return 3;
    sqlite3_busy_timeout(db, 2000);
    say("started");
    for (int round = 0;; ++round) {
        const QByteArray sql = "BEGIN IMMEDIATE; INSERT INTO CDData SELECT 'Runde " +
                               QByteArray::number(round) +
                               "', Ausgabe, Art, Medium FROM CDData LIMIT 400; DELETE FROM CDData "
                               "WHERE rowid IN (SELECT rowid FROM CDData LIMIT 400); COMMIT;";
        if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            say("busy " + QByteArray(sqlite3_errmsg(db)));
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }
}

} // namespace

class TestHardDiskCopy : public QObject {
    Q_OBJECT
private slots:
    void killedWhileStoringThenStartedAgain_data();
    void killedWhileStoringThenStartedAgain();
    void copyWhileAnotherProgramWrites();
};

void TestHardDiskCopy::killedWhileStoringThenStartedAgain_data() {
    QTest::addColumn<bool>("importing");
    QTest::addColumn<int>("round");
    for (int round = 1; round <= 3; ++round) {
        QTest::addRow("posting by hand, kill %d", round) << false << round;
        QTest::addRow("importing, kill %d", round) << true << round;
    }
}

void TestHardDiskCopy::killedWhileStoringThenStartedAgain() {
    QFETCH(bool, importing);
    QFETCH(int, round);
    QProcess child;
    QByteArray out;
    const bool started = ChildProcess::start(
        child, {importing ? QStringLiteral("--child-import") : QStringLiteral("--child-post")},
        out);
    const QString root = ChildProcess::rootOf(out);
    auto cleanUp = qScopeGuard([&] {
        ChildProcess::kill(child);
        if (!root.isEmpty())
            QDir(root).removeRecursively();
    });
    QVERIFY2(started, out.constData());
    const QString hdData = root + QStringLiteral("/hd/KALMOR/VANTORA/DATA");
    const QString copy = hdData + QStringLiteral("/CDData.DB");

    // Killed once the session has stored a good deal, while a transaction reaches the
    // file: once its journal is hot, after a few more milliseconds each round, so the kill
    // lands at different steps of the write. (A journal of the session's first transaction
    // holds the disc's own pages and would hide a wrong roll-back.)
    const qint64 sizeAtStart = QFileInfo(copy).size();
    const QDeadlineTimer deadline(120000);
    while (QFileInfo(copy).size() < sizeAtStart + 16 * 1024 && !deadline.hasExpired())
        QThread::msleep(5);
    while (!TableChecks::hasHotJournal(copy) && !deadline.hasExpired())
        QThread::usleep(100);
    QThread::msleep((round - 1) * 3);
    ChildProcess::kill(child);
    qInfo("journal beside the copy after the kill: %s",
          TableChecks::hasHotJournal(copy) ? "hot"
                                           : (TableChecks::hasJournal(copy) ? "yes" : "no"));

    // A fresh start of the hard-disk program from the same disc, over the same folder.
    AppFixture app;
    QVERIFY(QFile::copy(root + QStringLiteral("/disc/DATA/CDData.DB"),
                        app.dataDir() + QStringLiteral("/CDData.DB")));
    for (const char* name : {"/GameData.DB", "/TipsData.DB"})
        QVERIFY(QFile::copy(root + QStringLiteral("/disc/DATA") + QLatin1String(name),
                            app.dataDir() + QLatin1String(name)));
    app.options.hardDiskBase = root + QStringLiteral("/hd");
    QCOMPARE(app.start(QStringLiteral("vantorahd")), StartupOutcome::Running);
    UserSteps::showView(UserSteps::Disc);
    QVERIFY2(app.boxes.isEmpty(), qPrintable(app.boxes.join(u'|')));

    const QStringList disc = TestSupport::readTable(app.dataDir() + "/CDData.DB", "CDData");
    QCOMPARE(disc.size(), 300);
    QCOMPARE(Form1->Query1.recordCount(), 300);
    QCOMPARE(TableChecks::integrityAfterReopen(copy), QStringLiteral("ok"));
    QCOMPARE(TestSupport::readTable(copy, QStringLiteral("CDData")), disc);
    QVERIFY(!TableChecks::hasJournal(copy));
}

void TestHardDiskCopy::copyWhileAnotherProgramWrites() {
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("CDData.DB"));
    TestSupport::makeTable(source, QStringLiteral("CDData"), kDiscSchema, discRows(60000));
    QProcess writer;
    QByteArray out;
    const bool started =
        ChildProcess::start(writer, {QStringLiteral("--child-writer"), source}, out);
    auto cleanUp = qScopeGuard([&] { ChildProcess::kill(writer); });
    QVERIFY2(started, out.constData());

    QDir().mkpath(dir.filePath(QStringLiteral("hd")));
    const QString target = dir.filePath(QStringLiteral("hd/CDData.DB"));
    for (int i = 0; i < 10; ++i) {
        QVERIFY(TableCopy::copyTable(source, target));
        QCOMPARE(TableChecks::integrityAfterReopen(target), QStringLiteral("ok"));
        // Every transaction of the writer adds 400 rows and removes 400 others: only a
        // snapshot between two transactions holds exactly as many as the start.
        QCOMPARE(TestSupport::readTable(target, QStringLiteral("CDData")).size(), 60000);
    }
    out += writer.readAllStandardOutput();
    QVERIFY2(writer.state() == QProcess::Running, out.constData());
    // The copier gave way: no write of the other program had to give up.
    QVERIFY2(!out.contains("busy"), out.constData());
    QVERIFY(!QFileInfo::exists(target + QStringLiteral(".part")));
}

int main(int argc, char** argv) {
    if (argc == 2 &&
        (QByteArray(argv[1]) == "--child-post" || QByteArray(argv[1]) == "--child-import")) {
        QApplication app(argc, argv);
        return childStoring(QByteArray(argv[1]) == "--child-import");
    }
    if (argc == 3 && QByteArray(argv[1]) == "--child-writer") {
        QCoreApplication app(argc, argv);
        return childWriter(QFile::decodeName(argv[2]));
    }
    QApplication app(argc, argv);
    TestHardDiskCopy tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "test_harddiskcopy.moc"
