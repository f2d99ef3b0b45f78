// The start-up sequence: mode, data location, engine check, hard-disk copy, first showing.
#include "AppFixture.h"
#include "AppState.h"
#include "AppWindows.h"
#include "TForm1.h"
#include "TestSupport.h"

#include "ClickArea.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTest>

namespace {
const QString kMessageA =
    QStringLiteral("message: Achtung! Auf Ihrem System wird jetzt die \"Vantora-Engine\" "
                   "installiert.\nDiese Datenbanktreiber-Installation ist nur ein einziges Mal "
                   "notwendig.\nRufen Sie das Vantora-Hauptprogramm danach bitte erneut auf "
                   "(\"Start\").");
const QString kMessageB =
    QStringLiteral("message: Achtung! Jetzt wird ein Update der \"Vantora-Engine\" installiert. "
                   "Starten Sie bitte danach den \"Vantora\" nochmal.");
} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void modeFollowsProgramName_data();
    void modeFollowsProgramName();
    void dataDirectoryBelowStartDirectory();
    void engineCheck_data();
    void engineCheck();
    void conversionErrorSkipsTheRestOfCreation();
    void hardDiskModeCopiesOverReadOnlyCopies();
    void firstShowingEndsInGamesViewByTitle();
    void missingDataFolderShowsTheEngineError();
    void startDirectoryWithSpacesAndUmlauts();
};

void TestStartup::modeFollowsProgramName_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("hardDisk");
    QTest::newRow("VANTORAHD.EXE") << "E:\\VANTORAHD.EXE" << true;
    QTest::newRow("vantorahd.exe") << "/disc/vantorahd.exe" << true;
    QTest::newRow("vantorahd") << "/disc/vantorahd" << true;
    QTest::newRow("VANTORA.EXE") << "E:\\VANTORA.EXE" << false;
    QTest::newRow("VANTORAH.EXE") << "E:\\VANTORAH.EXE" << false;
    QTest::newRow("vantora") << "/disc/vantora" << false;
    QTest::newRow("hd folder only") << "/disc/hd/vantora" << false;
}

void TestStartup::modeFollowsProgramName() {
    QFETCH(QString, path);
    QFETCH(bool, hardDisk);
    QCOMPARE(TForm1::isHardDiskProgram(path), hardDisk);
}

void TestStartup::dataDirectoryBelowStartDirectory() {
    AppFixture app;
    QVERIFY(app.makeArchive());
    QCOMPARE(app.start(), StartupOutcome::Running);
    const QString expected = QDir::toNativeSeparators(app.discDir()) + QDir::separator() + "DATA";
    QCOMPARE(State().SourceDataDir, expected);
    QCOMPARE(State().DataDir, expected);
    QCOMPARE(State().HardDiskMode, 0);
    QCOMPARE(State().GamesFirstMonth, 10);
    QCOMPARE(State().TipsFirstYear, 1997);
    // The last step before the first table is opened moves to the temporary folder.
    QCOMPARE(QFileInfo(QDir::currentPath()).canonicalFilePath(),
             QFileInfo(QDir::tempPath()).canonicalFilePath());
}

void TestStartup::engineCheck_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("box");
    QTest::newRow("0.00") << "0.00" << int(StartupOutcome::EngineMissing) << kMessageA;
    QTest::newRow("0") << "0" << int(StartupOutcome::EngineMissing) << kMessageA;
    QTest::newRow("0.5") << "0.5" << int(StartupOutcome::EngineMissing) << kMessageB;
    QTest::newRow("1.00") << "1.00" << int(StartupOutcome::Running) << QString();
    QTest::newRow("2.1") << "2.1" << int(StartupOutcome::Running) << QString();
}

void TestStartup::engineCheck() {
    QFETCH(QString, version);
    QFETCH(int, outcome);
    QFETCH(QString, box);
    AppFixture app;
    QVERIFY(app.makeArchive());
    QCOMPARE(int(app.start(QStringLiteral("vantora"), version)), outcome);
    if (box.isEmpty()) {
        QVERIFY(app.boxes.isEmpty());
        QVERIFY(app.launcher.started.isEmpty());
        QVERIFY(Form1 && Form1->isVisible());
        return;
    }
    QCOMPARE(app.boxes, QStringList{box});
    // The installer is started once, from the start directory, and no window stays.
    QCOMPARE(app.launcher.started, QStringList{QStringLiteral("VTEngine\\Setup.exe")});
    QCOMPARE(QFileInfo(app.launcher.workingDirs.value(0)).canonicalFilePath(),
             QFileInfo(app.discDir()).canonicalFilePath());
    QVERIFY(Form1 == nullptr);
}

void TestStartup::conversionErrorSkipsTheRestOfCreation() {
    AppFixture app;
    QVERIFY(app.makeArchive());
    app.start(QStringLiteral("vantorahd"), QStringLiteral("1,00"));
    QCOMPARE(app.boxes.value(0), QStringLiteral("error: '1,00' ist kein gültiger Gleitkommawert."));
    QVERIFY(app.launcher.started.isEmpty());
    // No copy and no change of directory: the tables are read where they lie.
    QVERIFY(!QFileInfo::exists(app.root() + "/hd/KALMOR/VANTORA/DATA/GameData.DB"));
    QCOMPARE(State().DataDir, QDir::toNativeSeparators(app.discDir()) + QDir::separator() + "DATA");
    QVERIFY(Form1 && Form1->isVisible());
    QVERIFY(Form1->Query1.recordCount() > 0);
}

void TestStartup::hardDiskModeCopiesOverReadOnlyCopies() {
    AppFixture app;
    QVERIFY(app.makeArchive());
    const QString target = app.root() + "/hd/KALMOR/VANTORA/DATA";
    QVERIFY(QDir().mkpath(target));
    // An older, read-only copy with other content.
    TestSupport::makeTable(target + "/GameData.DB", "GameData", TestSupport::kGamesSchema,
                           {{"ALT", "Action", "", "", "50", "1997/10", ""}});
    QFile::setPermissions(target + "/GameData.DB", QFile::ReadOwner | QFile::ReadUser);

    QCOMPARE(app.start(QStringLiteral("vantorahd")), StartupOutcome::Running);
    QCOMPARE(State().HardDiskMode, 1);
    QCOMPARE(QFileInfo(State().DataDir).canonicalFilePath(), QFileInfo(target).canonicalFilePath());
    for (const char* name : {"GameData.DB", "CDData.DB", "TipsData.DB"}) {
        const QString copy = target + '/' + name;
        QVERIFY2(QFileInfo(copy).isWritable(), name);
        // SQLite's backup copies the table page by page; the header's counters may differ.
        const QString table = QString::fromLatin1(name).section(u'.', 0, 0);
        QVERIFY2(TestSupport::readTable(copy, table) ==
                     TestSupport::readTable(app.dataDir() + '/' + name, table),
                 name);
        QVERIFY2(TestSupport::readTable(copy, table).size() > 0, name);
    }
    QCOMPARE(Form1->Query1.recordCount(), 40);
}

void TestStartup::firstShowingEndsInGamesViewByTitle() {
    AppFixture app;
    QVERIFY(app.makeArchive());
    app.start();
    const AppState& s = State();
    QCOMPARE(s.CurrentView, QStringLiteral("Spiele"));
    QCOMPARE(s.SortField, QStringLiteral("TITEL"));
    QCOMPARE(s.SortDirection, QString());
    const QString sep = QDir::toNativeSeparators(s.DataDir) + QDir::separator();
    QCOMPARE(Form1->Query1.sql(),
             QStringList({"SELECT * FROM \"" + sep + "GameData.db\"", "ORDER BY TITEL"}));
    // The latest issue of each table, read through the query sorted by issue.
    QVERIFY(s.GamesLastYear >= 1997 && s.GamesLastMonth >= 1 && s.GamesLastMonth <= 12);
    QVERIFY(s.DiscLastYear >= 1997 && s.TipsLastYear >= 1997);
    QVERIFY(Form4 == nullptr);
    // Destroyed by now, not only forgotten: a deferred deletion may never come.
    for (const QWidget* w : QApplication::topLevelWidgets())
        QVERIFY2(w->objectName() != QLatin1String("Form4"), "the wait window still exists");
    QVERIFY(!Form1->Aktiv1->isHidden());
    QCOMPARE(Form1->LED1->y(), 140);
}

void TestStartup::missingDataFolderShowsTheEngineError() {
    AppFixture app;
    QDir(app.dataDir()).removeRecursively();
    QCOMPARE(app.start(), StartupOutcome::Running);
    QVERIFY(!app.boxes.isEmpty());
    QVERIFY2(app.boxes.first().startsWith("error: "), qPrintable(app.boxes.first()));
    QVERIFY(app.boxes.first().endsWith('.'));
    // The program goes on with its buttons usable.
    QVERIFY(Form1->Image1->isEnabled());
}

void TestStartup::startDirectoryWithSpacesAndUmlauts() {
    AppFixture app;
    const QString odd = app.root() + QStringLiteral("/Mein Ärchiv");
    QVERIFY(QDir().mkpath(odd + "/DATA"));
    QVERIFY(TestSupport::makeArchive(odd + "/DATA"));
    app.options.startDir = odd;
    app.registry.m_version = "1.00";
    app.options.programPath = odd + "/vantora";
    app.options.registry = &app.registry;
    app.options.launcher = &app.launcher;
    app.options.singleInstance = false;
    QCOMPARE(startUp(app.options), StartupOutcome::Running);
    QVERIFY(app.boxes.isEmpty());
    QCOMPARE(Form1->Query1.recordCount(), 40);
    shutDown();
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
