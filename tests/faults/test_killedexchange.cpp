// The program killed with SIGKILL while it imports a big text file or exports a big table:
// the table file is intact afterwards and holds every record posted before the kill, and
// the export file is either the old one or the whole new one.
//
// The program runs in a child process: this test program started again with one of the
// --child-... arguments, which starts the whole program in-process and runs the import or
// the export; the test kills it at some point while it works.
#include "AppFixture.h"
#include "AppState.h"
#include "AppWindows.h"
#include "ChildProcess.h"
#include "ClickArea.h"
#include "FaultVfs.h"
#include "StripPicture.h"
#include "TForm1.h"
#include "TForm2.h"
#include "Table.h"
#include "TableChecks.h"
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
#include <sys/stat.h>

using TestSupport::joined;
using TestSupport::Rows;

namespace {

using TestSupport::kDiscSchema;
using TestSupport::kGamesSchema;
using TestSupport::kTipsSchema;

const Rows kDiscRows = {{"Völkerball", "2002/05", "Demo", "CD"},
                        {"Aqua Rennen", "2001/11", "Patch", "DVD"},
                        {"Baukasten", "2002/06", "Programm", "CD/DVD"}};
const QStringList kTypedRecord = {"Von Hand", "2002/06", "Treiber", "DVD"};

constexpr int kImportLines = 200000;
constexpr int kExportRows = 100000;

QByteArray importLine(int i) {
    return "Import " + QByteArray::number(i) + "\t2002/05\tDemo\tCD\r\n";
}

QStringList gameRow(int i) {
    return {QStringLiteral("Spiel %1").arg(i),
            "Action",
            "Actionspiel",
            "Kalmor",
            QString::number(10 + i % 90),
            "2001/01",
            QStringLiteral("Kommentar %1").arg(i)};
}

Rows gameRows(int count) {
    Rows rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i)
        rows << gameRow(i);
    return rows;
}

// The export file a finished export of gameRows(count) writes.
QByteArray fullExport(int count) {
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += gameRow(i).join(u'\t').toLatin1() + "\r\n";
    return out;
}

// What an earlier export left in the data folder.
QByteArray oldExport() {
    QByteArray out;
    for (int i = 0; i < 500; ++i)
        out += "Alte Ausgabe " + QByteArray::number(i) + "\tAction\t\t\t50\t1999/01\t\r\n";
    return out;
}

// --- Child side ----------------------------------------------------------------------

void say(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

[[noreturn]] void waitToBeKilled() {
    for (;;)
        QThread::msleep(100);
}

// Starts the program over its own data folder, types one record in by hand, then imports
// `lines` lines; with `killAtWrite` > 0 the process kills itself halfway through that
// write into the disc-content table file after the import began.
int childImport(int lines, int killAtWrite) {
    if (killAtWrite > 0)
        FaultVfs::install();
    AppFixture app;
    const QString data = app.dataDir();
    TestSupport::makeTables(data, gameRows(3), kDiscRows, {{"Aqua", "2002/05", "Cheat", "3"}});
    QByteArray file;
    file.reserve(qsizetype(lines) * 32);
    for (int i = 0; i < lines; ++i)
        file += importLine(i);
    const QString importPath = app.root() + QStringLiteral("/import.txt");
    writeFile(importPath, file);
    say(QStringLiteral("root ") + app.root());
    if (app.start() != StartupOutcome::Running)
        return 3;
    UserSteps::showView(UserSteps::Disc);
    UserSteps::switchEditMode();
    if (State().EditMode != 1 || !Form1->Table1.isOpen())
        return 4;
    Table& t = Form1->Table1;
    t.append();
    for (int f = 0; f < kTypedRecord.size(); ++f)
        t.setFieldText(f, kTypedRecord[f]);
    t.post();
    say(QStringLiteral("posted"));
    if (killAtWrite > 0)
        FaultVfs::arm(QStringLiteral("/CDData.DB"), killAtWrite, FaultVfs::Fault::KillMidWrite);
    app.openFileAnswer = importPath;
    say(QStringLiteral("started"));
    Form2->Button3Click();
    say(QStringLiteral("finished ") + app.boxes.join(u'|'));
    waitToBeKilled();
}

// Starts the program over a games table of `rows` records and an old export file, then
// exports the games table.
int childExport(int rows) {
    AppFixture app;
    const QString data = app.dataDir();
    TestSupport::makeTables(data, gameRows(rows), kDiscRows, {{"Aqua", "2002/05", "Cheat", "3"}});
    writeFile(data + QStringLiteral("/GameData.db.txt"), oldExport());
    say(QStringLiteral("root ") + app.root());
    if (app.start() != StartupOutcome::Running)
        return 3;
    UserSteps::switchEditMode();
    if (State().EditMode != 1 || State().ViewTableFile != QLatin1String("GameData.db"))
        return 4;
    say(QStringLiteral("started"));
    Form2->Button2Click();
    say(QStringLiteral("finished ") + app.boxes.join(u'|'));
    waitToBeKilled();
}

// --- Test side -----------------------------------------------------------------------

// Ends the child if it still runs and removes its root folder, when the test leaves.
auto endChildAndRemove(QProcess& child, const QString& root) {
    return qScopeGuard([&child, root] {
        if (child.state() != QProcess::NotRunning) {
            child.kill();
            child.waitForFinished();
        }
        if (!root.isEmpty())
            QDir(root).removeRecursively();
    });
}

// The largest file in `dir` the process `pid` holds open for writing that is not one of
// `known`, by size; -1 when there is none. A file the process made without a name shows
// as "<dir>/#<inode> (deleted)".
qint64 largestNewFileOpenBy(qint64 pid, const QString& dir, const QStringList& known) {
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    qint64 largest = -1;
    for (const QString& fd : QDir(fds).entryList(QDir::Files | QDir::System)) {
        const QString target = QFile::symLinkTarget(fds + u'/' + fd);
        if (!target.startsWith(dir + u'/'))
            continue;
        if (known.contains(QFileInfo(target).fileName(), Qt::CaseInsensitive))
            continue;
        struct stat st {};
        if (::stat(QFile::encodeName(fds + u'/' + fd).constData(), &st) == 0 && S_ISREG(st.st_mode))
            largest = qMax<qint64>(largest, st.st_size);
    }
    return largest;
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<missing>");
    return f.readAll();
}

} // namespace

class TestKilledExchange : public QObject {
    Q_OBJECT
private slots:
    void killedDuringImport_data();
    void killedDuringImport();
    void killedDuringExport_data();
    void killedDuringExport();
};

enum class KillWhen { JournalAppears, FileGrew, ChildWritesHalfAPage };

void TestKilledExchange::killedDuringImport_data() {
    QTest::addColumn<int>("when");
    QTest::addColumn<int>("killAtWrite");
    QTest::newRow("once a group is being written") << int(KillWhen::JournalAppears) << 0;
    QTest::newRow("after some groups are on disk") << int(KillWhen::FileGrew) << 0;
    QTest::newRow("halfway through a page of the second group's commit")
        << int(KillWhen::ChildWritesHalfAPage) << 25;
    QTest::newRow("halfway through the first page of the first commit")
        << int(KillWhen::ChildWritesHalfAPage) << 1;
}

void TestKilledExchange::killedDuringImport() {
    QFETCH(int, when);
    QFETCH(int, killAtWrite);
    QProcess child;
    QByteArray out;
    const bool started =
        ChildProcess::start(child,
                            {QStringLiteral("--child-import"), QString::number(kImportLines),
                             QString::number(killAtWrite)},
                            out);
    const QString root = ChildProcess::rootOf(out);
    auto cleanUp = endChildAndRemove(child, root);
    QVERIFY2(started, out.constData());
    QVERIFY(!root.isEmpty());
    const QString data = root + QStringLiteral("/disc/DATA");
    const QString table = data + QStringLiteral("/CDData.DB");
    const qint64 sizeAtStart = QFileInfo(table).size();

    auto finished = [&] {
        out += child.readAllStandardOutput();
        return out.contains("finished") || child.state() == QProcess::NotRunning;
    };
    const bool self = KillWhen(when) == KillWhen::ChildWritesHalfAPage;
    switch (KillWhen(when)) {
    case KillWhen::JournalAppears:
        QTRY_VERIFY_WITH_TIMEOUT(TableChecks::hasJournal(table) || finished(), 240000);
        break;
    case KillWhen::FileGrew:
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(table).size() >= sizeAtStart + 256 * 1024 || finished(),
                                 240000);
        break;
    case KillWhen::ChildWritesHalfAPage:
        QVERIFY(child.waitForFinished(240000));
        break;
    }
    // Only the kill ends the child: it never stops by itself, nor on a sanitizer's report.
    QVERIFY(child.state() == QProcess::Running || self);
    ChildProcess::kill(child);
    if (child.state() != QProcess::NotRunning)
        QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    QCOMPARE(child.exitCode(), int(SIGKILL));
    out += child.readAllStandardOutput();
    if (self) {
        // The kill came in the middle of a commit: the file is torn and the journal
        // holds what it takes to repair it.
        QVERIFY2(!out.contains("finished"), out.constData());
        QVERIFY(TableChecks::hasHotJournal(table));
    }

    // The user starts the program again over the same files.
    AppFixture again;
    for (const QString& name : QDir(data).entryList(QDir::Files))
        QVERIFY(QFile::copy(data + u'/' + name, again.dataDir() + u'/' + name));
    const QString file = again.dataDir() + QStringLiteral("/CDData.DB");
    QCOMPARE(again.start(), StartupOutcome::Running);
    UserSteps::showView(UserSteps::Disc);
    QVERIFY2(again.boxes.isEmpty(), qPrintable(again.boxes.join(u'|')));
    QVERIFY(!TableChecks::hasHotJournal(file));
    QCOMPARE(TableChecks::integrityAfterReopen(file), QStringLiteral("ok"));

    // Every record posted before the kill is there: the old ones, the typed one and the
    // first lines of the import, in file order, each whole.
    const QStringList rows = TestSupport::readTable(file, QStringLiteral("CDData"));
    const QStringList before = joined(kDiscRows) << kTypedRecord.join(u'|');
    QVERIFY(rows.size() >= before.size());
    QCOMPARE(rows.mid(0, before.size()), before);
    const int imported = int(rows.size() - before.size());
    QVERIFY(imported <= kImportLines);
    for (int i = 0; i < imported; ++i)
        if (rows[before.size() + i] != QStringLiteral("Import %1|2002/05|Demo|CD").arg(i))
            QFAIL(qPrintable(QStringLiteral("row %1: %2").arg(i).arg(rows[before.size() + i])));
    QCOMPARE(Form1->Query1.recordCount(), int(rows.size()));
    qInfo("%d of %d import lines were on disk after the kill", imported, kImportLines);
}

void TestKilledExchange::killedDuringExport_data() {
    QTest::addColumn<qint64>("killAtBytes");
    QTest::newRow("as soon as it started") << qint64(0);
    QTest::newRow("with the new file partly written") << qint64(1024 * 1024);
    QTest::newRow("after it finished") << qint64(-1);
}

void TestKilledExchange::killedDuringExport() {
    QFETCH(qint64, killAtBytes);
    if (killAtBytes > 0 && !QFileInfo::exists(QStringLiteral("/proc/self/fd")))
        QSKIP("needs /proc to see the file being written");
    QProcess child;
    QByteArray out;
    const bool started = ChildProcess::start(
        child, {QStringLiteral("--child-export"), QString::number(kExportRows)}, out);
    const QString root = ChildProcess::rootOf(out);
    auto cleanUp = endChildAndRemove(child, root);
    QVERIFY2(started, out.constData());
    const QString data = root + QStringLiteral("/disc/DATA");
    const QString exportFile = data + QStringLiteral("/GameData.db.txt");
    if (killAtBytes < 0) {
        QTRY_VERIFY_WITH_TIMEOUT((out += child.readAllStandardOutput()).contains("finished"),
                                 240000);
        QVERIFY2(out.contains("finished \n"), out.constData()); // no message box
    } else if (killAtBytes > 0) {
        const QStringList known = QDir(data).entryList(QDir::Files);
        QTRY_VERIFY_WITH_TIMEOUT(largestNewFileOpenBy(child.processId(), data, known) >=
                                         killAtBytes ||
                                     (out += child.readAllStandardOutput()).contains("finished"),
                                 240000);
    }
    // Only the kill ends the child: it never stops by itself, nor on a sanitizer's report.
    QVERIFY(child.state() == QProcess::Running);
    ChildProcess::kill(child);
    if (child.state() != QProcess::NotRunning)
        QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    QCOMPARE(child.exitCode(), int(SIGKILL));

    // The export file is the old one untouched or the new one whole, never a mix.
    const QByteArray now = readBytes(exportFile);
    const bool old = now == oldExport();
    QVERIFY2((old && killAtBytes >= 0) || now == fullExport(kExportRows),
             qPrintable(QStringLiteral("%1 bytes, starting %2")
                            .arg(now.size())
                            .arg(QString::fromLatin1(now.left(60)))));
    // Nothing else was left beside the tables.
    QStringList left = QDir(data).entryList(QDir::Files);
    left.sort();
    QCOMPARE(left, (QStringList{"CDData.DB", "GameData.DB", "GameData.db.txt", "TipsData.DB"}));
    // The table that was read is as it was.
    const QString table = data + QStringLiteral("/GameData.DB");
    QCOMPARE(TableChecks::integrityAfterReopen(table), QStringLiteral("ok"));
    QCOMPARE(TestSupport::readTable(table, QStringLiteral("GameData")).size(), kExportRows);
    qInfo("the export file was the %s one after the kill", old ? "old" : "new");
}

int main(int argc, char** argv) {
    if (argc == 4 && QByteArray(argv[1]) == "--child-import") {
        QApplication app(argc, argv);
        return childImport(atoi(argv[2]), atoi(argv[3]));
    }
    if (argc == 3 && QByteArray(argv[1]) == "--child-export") {
        QApplication app(argc, argv);
        return childExport(atoi(argv[2]));
    }
    QApplication app(argc, argv);
    TestKilledExchange tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "test_killedexchange.moc"
