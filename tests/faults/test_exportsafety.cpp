// The export onto a disk that fills up, and damaged tables in edit mode: the older export
// file stays byte for byte as it was, the user is told, and a damaged table is never
// written. The full disk is real: a size-limited tmpfs mounted over the data folder.
#include "AppFixture.h"
#include "AppState.h"
#include "AppWindows.h"
#include "ClickArea.h"
#include "DataGrid.h"
#include "EngineError.h"
#include "StripPicture.h"
#include "TForm1.h"
#include "TForm2.h"
#include "Table.h"
#include "TestSupport.h"
#include "UserSteps.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTest>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/statvfs.h>

namespace {

const QString kExportFailed =
    QStringLiteral("message: Die Exportdatei konnte nicht geschrieben werden:");

// Enough reviews for an export of about 600 KB, more than the largest free space tried.
constexpr int kGames = 5000;

// Flips 200 bytes in the record halves of the leaf pages (from page 3; page 2 is the root),
// the same places every run: the table still opens and lists its rows, as bad bits in
// stored texts leave it, but many rows can no longer be read.
void flipBytes(QByteArray& bytes) {
    const qsizetype pages = bytes.size() / 4096;
    for (int i = 0; i < 200; ++i) {
        const qsizetype page = 3 + qsizetype(i) * 37 % (pages - 3);
        bytes[(page - 1) * 4096 + 2048 + qsizetype(i) * 997 % 2048] ^= char(0xFF);
    }
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArrayLiteral("<missing>");
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

qint64 freeBytes(const QString& dir) {
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(dir).constData(), &st) != 0)
        return -1;
    return qint64(st.f_bavail) * qint64(st.f_bsize);
}

// Fills the file system of `dir` until `leftBytes` are free; false when it cannot.
bool fillUntilFree(const QString& dir, qint64 leftBytes) {
    QFile filler(dir + QStringLiteral("/Füllung"));
    if (!filler.open(QIODevice::WriteOnly))
        return false;
    const QByteArray chunk(4096, 'x');
    while (freeBytes(dir) > leftBytes) {
        const qint64 step = qMin<qint64>(chunk.size(), freeBytes(dir) - leftBytes);
        if (filler.write(chunk.constData(), step) != step || !filler.flush())
            return false;
    }
    return freeBytes(dir) == leftBytes;
}

// The old export as an earlier session wrote it: different from what the table holds now.
QByteArray olderExport() {
    QByteArray out;
    for (int i = 0; i < 2000; ++i)
        out += "Alte Ausgabe " + QByteArray::number(i) + "\tAction\t\t\t50\t1999/01\t\r\n";
    return out;
}

} // namespace

class TestExportSafety : public QObject {
    Q_OBJECT
private slots:
    void exportOntoAFillingDisk_data();
    void exportOntoAFillingDisk();
    void damagedTableIsOnlyRead_data();
    void damagedTableIsOnlyRead();
    void rowThatCannotBeReadStopsTheExport();
};

void TestExportSafety::exportOntoAFillingDisk_data() {
    QTest::addColumn<int>("freeKiB");
    for (int kib : {0, 4, 40, 300})
        QTest::addRow("%d KiB free", kib) << kib;
}

void TestExportSafety::exportOntoAFillingDisk() {
    QFETCH(int, freeKiB);
    AppFixture app;
    const QString data = app.dataDir();
    if (::mount("tmpfs", QFile::encodeName(data).constData(), "tmpfs", 0, "size=4m") != 0)
        QSKIP(qPrintable(QStringLiteral("a tmpfs cannot be mounted here (%1); the test needs root")
                             .arg(QString::fromLocal8Bit(std::strerror(errno)))));
    auto unmount = qScopeGuard([&] {
        app.stop();
        ::umount2(QFile::encodeName(data).constData(), MNT_DETACH);
    });
    QVERIFY(app.makeArchive(kGames, 60, 30));
    const QString exportFile = data + QStringLiteral("/GameData.db.txt");
    QVERIFY(writeBytes(exportFile, olderExport()));

    QCOMPARE(app.start(), StartupOutcome::Running);
    UserSteps::switchEditMode();
    QCOMPARE(State().ViewTableFile, QStringLiteral("GameData.db"));
    QVERIFY(fillUntilFree(data, qint64(freeKiB) * 1024));
    app.boxes.clear();

    Form2->Button2Click();
    QCOMPARE(app.boxes.size(), 1);
    QVERIFY2(app.boxes[0].startsWith(kExportFailed), qPrintable(app.boxes[0]));
    QCOMPARE(readBytes(exportFile), olderExport());
    // Nothing half written is left beside it.
    QStringList left = QDir(data).entryList(QDir::Files);
    left.sort();
    QCOMPARE(left, (QStringList{"CDData.DB", "Füllung", "GameData.DB", "GameData.db.txt",
                                "TipsData.DB"}));

    // With room again, the same export goes through and replaces the file whole.
    QVERIFY(QFile::remove(data + QStringLiteral("/Füllung")));
    app.boxes.clear();
    Form2->Button2Click();
    QVERIFY2(app.boxes.isEmpty(), qPrintable(app.boxes.join(u'|')));
    const QByteArray written = readBytes(exportFile);
    QVERIFY(written.size() > 300 * 1024);
    QCOMPARE(written.count("\r\n"), kGames);
}

void TestExportSafety::damagedTableIsOnlyRead_data() {
    QTest::addColumn<bool>("truncate");
    QTest::newRow("cut short by 1,000 bytes") << true;
    QTest::newRow("200 bytes flipped") << false;
}

void TestExportSafety::damagedTableIsOnlyRead() {
    QFETCH(bool, truncate);
    AppFixture app;
    QVERIFY(app.makeArchive(kGames, 60, 30));
    const QString data = app.dataDir();
    const QString games = data + QStringLiteral("/GameData.DB");
    QByteArray bytes = readBytes(games);
    if (truncate) {
        bytes.chop(1000);
    } else {
        flipBytes(bytes);
    }
    QVERIFY(writeBytes(games, bytes));
    const QString exportFile = data + QStringLiteral("/GameData.db.txt");
    QVERIFY(writeBytes(exportFile, olderExport()));

    QCOMPARE(app.start(), StartupOutcome::Running);
    app.boxes.clear();
    UserSteps::switchEditMode();
    QCOMPARE(State().EditMode, 1);
    QVERIFY2(app.boxes.contains(QStringLiteral("message: Die Tabelle GameData.DB ist beschädigt "
                                               "und wird nur zum Lesen geöffnet.")),
             qPrintable(app.boxes.join(u'|')));
    QVERIFY(Form1->Table1.isOpen());
    QVERIFY(Form1->Table1.damaged());

    // Neither typing nor the table object writes into it.
    QTest::keyClicks(Form1->DBGrid1, QStringLiteral("Neu"));
    QTest::keyClick(Form1->DBGrid1, Qt::Key_Down);
    QVERIFY_THROWS_EXCEPTION(EngineError, Form1->Table1.append());
    QCOMPARE(Form1->Table1.state(), Table::State::Browse);

    // The export cannot read every row: it says so and keeps the older file.
    app.boxes.clear();
    Form2->Button2Click();
    QCOMPARE(app.boxes.size(), 1);
    QVERIFY2(app.boxes[0].startsWith(kExportFailed), qPrintable(app.boxes[0]));
    QCOMPARE(readBytes(exportFile), olderExport());

    // After a view switch it is still only read, and the file is as it was.
    app.boxes.clear();
    UserSteps::showView(UserSteps::Tips);
    UserSteps::showView(UserSteps::Games);
    QVERIFY(Form1->Table1.damaged());
    app.stop();
    QCOMPARE(readBytes(games), bytes);
}

void TestExportSafety::rowThatCannotBeReadStopsTheExport() {
    // The file goes bad after edit mode checked and opened it.
    AppFixture app;
    QVERIFY(app.makeArchive(kGames, 60, 30));
    const QString games = app.dataDir() + QStringLiteral("/GameData.DB");
    const QString exportFile = app.dataDir() + QStringLiteral("/GameData.db.txt");
    QVERIFY(writeBytes(exportFile, olderExport()));
    QCOMPARE(app.start(), StartupOutcome::Running);
    UserSteps::switchEditMode();
    QVERIFY(!Form1->Table1.damaged());
    QByteArray bytes = readBytes(games);
    flipBytes(bytes);
    // The file's change counter moves, as with any write of another program, so the pages
    // are read from the file again.
    qToBigEndian(qFromBigEndian<quint32>(bytes.constData() + 24) + 1, bytes.data() + 24);
    QVERIFY(writeBytes(games, bytes));

    app.boxes.clear();
    Form2->Button2Click();
    QCOMPARE(app.boxes.size(), 1);
    // The box says in German what is wrong; the engine's own words follow for support.
    QVERIFY2(app.boxes[0].startsWith(kExportFailed) &&
                 app.boxes[0].contains(QStringLiteral(
                     "Die Tabellendatei ist beschädigt (database disk image is malformed)")),
             qPrintable(app.boxes[0]));
    QCOMPARE(readBytes(exportFile), olderExport());
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestExportSafety tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "test_exportsafety.moc"
