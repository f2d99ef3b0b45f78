#include "EngineRegistry.h"
#include "FileOps.h"
#include "HardDiskFolder.h"
#include "ProgramLauncher.h"
#include "SingleInstanceGuard.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class PlatformTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void engineVersion_data();
    void engineVersion();
    void recordedVersionReadsBack();
    void recordingOverridesOlderUserEntry();
    void installerRecordsVersion();

    void hardDiskLevels_data();
    void hardDiskLevels();
    void hardDiskDefaultsToUserDataLocation();

    void readOnlyTargetIsOverwritten();
    void missingSourceLeavesTarget();
    void makeDirCreatesOneLevel();
    void currentDirFollowsSetCurrentDir();

    void launcherResolves_data();
    void launcherResolves();
    void launcherStartsInCurrentDir();

    void secondCopyAsksFirstToActivate();
    void otherProgramNamesAreIndependent();
    void releasedLockCanBeTaken();
    void lockOfKilledCopyDoesNotBlock();

private:
    QString systemIni() const { return m_root.path() + "/xdg/Kalmor/Vantora-Engine.ini"; }
    QString userIni() const { return m_root.path() + "/config/Kalmor/Vantora-Engine.ini"; }
    static void writeFile(const QString& path, const QByteArray& content);
    static QByteArray readFile(const QString& path);

    QTemporaryDir m_root;
    QString m_startDir;
    std::unique_ptr<QTemporaryDir> m_work;
};

void PlatformTest::writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(content);
    file.flush();
    // QSettings keeps a file it has read and reads it again only when its size or time
    // changed; each rewrite gets a time of its own, however quickly the rows follow.
    static QDateTime stamp = QDateTime::currentDateTimeUtc().addDays(-1);
    stamp = stamp.addSecs(1);
    file.setFileTime(stamp, QFileDevice::FileModificationTime);
}

QByteArray PlatformTest::readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void PlatformTest::initTestCase() {
    QVERIFY(m_root.isValid());
    TestSupport::isolateEnvironment(m_root.path());
    m_startDir = QDir::currentPath();
}

void PlatformTest::init() {
    QFile::remove(systemIni());
    QFile::remove(userIni());
    m_work = std::make_unique<QTemporaryDir>();
    QVERIFY(m_work->isValid());
}

void PlatformTest::cleanup() {
    QDir::setCurrent(m_startDir);
    m_work.reset();
}

// --- engine registry -------------------------------------------------------------------

void PlatformTest::engineVersion_data() {
    QTest::addColumn<QByteArray>("system");
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no entry anywhere") << QByteArray() << QByteArray() << "0.00";
    QTest::newRow("entry without the value")
        << QByteArray("[General]\nVersion=1.00\n") << QByteArray() << "0.00";
    QTest::newRow("system-wide entry")
        << QByteArray("[General]\nEngine-Version=1.00\n") << QByteArray() << "1.00";
    QTest::newRow("user entry alone")
        << QByteArray() << QByteArray("[General]\nEngine-Version=2.1\n") << "2.1";
    QTest::newRow("user entry wins") << QByteArray("[General]\nEngine-Version=1.00\n")
                                     << QByteArray("[General]\nEngine-Version=0.5\n") << "0.5";
    QTest::newRow("user file without the value falls back")
        << QByteArray("[General]\nEngine-Version=2.1\n") << QByteArray("[General]\nOther=1\n")
        << "2.1";
    QTest::newRow("comma kept as written")
        << QByteArray("[General]\nEngine-Version=1,00\n") << QByteArray() << "1,00";
    QTest::newRow("written as zero")
        << QByteArray("[General]\nEngine-Version=0\n") << QByteArray() << "0";
}

void PlatformTest::engineVersion() {
    QFETCH(QByteArray, system);
    QFETCH(QByteArray, user);
    QFETCH(QString, expected);
    if (!system.isEmpty())
        writeFile(systemIni(), system);
    if (!user.isEmpty())
        writeFile(userIni(), user);
    QCOMPARE(EngineRegistry().engineVersion(), expected);
}

void PlatformTest::recordedVersionReadsBack() {
    QString where;
    QVERIFY(EngineRegistry::recordEngineVersion("1.00", &where));
    // Root installs for every user, anyone else for themselves.
    QCOMPARE(where, ::geteuid() == 0 ? systemIni() : userIni());
    QCOMPARE(EngineRegistry().engineVersion(), QString("1.00"));

    QVERIFY(EngineRegistry::recordEngineVersion("1.00", &where));
    QCOMPARE(EngineRegistry().engineVersion(), QString("1.00"));
}

void PlatformTest::recordingOverridesOlderUserEntry() {
    writeFile(userIni(), "[General]\nEngine-Version=0.5\n");
    QVERIFY(EngineRegistry::recordEngineVersion("1.00"));
    QCOMPARE(EngineRegistry().engineVersion(), QString("1.00"));
}

void PlatformTest::installerRecordsVersion() {
    for (int run = 0; run < 2; ++run) {
        QProcess setup;
        setup.start(ENGINE_SETUP_PATH, {"--quiet"});
        QVERIFY(setup.waitForFinished(30000));
        QCOMPARE(setup.exitStatus(), QProcess::NormalExit);
        QCOMPARE(setup.exitCode(), 0);
        const QString output = QString::fromUtf8(setup.readAllStandardOutput());
        QVERIFY2(output.startsWith("Vantora-Engine 1.00 wurde installiert.\n"), qPrintable(output));
        QCOMPARE(EngineRegistry().engineVersion(), QString("1.00"));
    }
}

// --- hard-disk folder ------------------------------------------------------------------

void PlatformTest::hardDiskLevels_data() {
    QTest::addColumn<QString>("base");
    QTest::addColumn<QStringList>("expected");

    const QStringList underHome{"/home/u/.local/share/KALMOR",
                                "/home/u/.local/share/KALMOR/VANTORA",
                                "/home/u/.local/share/KALMOR/VANTORA/DATA"};
    QTest::newRow("plain base") << "/home/u/.local/share" << underHome;
    QTest::newRow("base with trailing slash") << "/home/u/.local/share/" << underHome;
    QTest::newRow("file-system root")
        << "/" << QStringList{"/KALMOR", "/KALMOR/VANTORA", "/KALMOR/VANTORA/DATA"};
}

void PlatformTest::hardDiskLevels() {
    QFETCH(QString, base);
    QFETCH(QStringList, expected);
    QCOMPARE(HardDiskFolder::levels(base), expected);
    QCOMPARE(HardDiskFolder::dataDir(base), expected.last());
}

void PlatformTest::hardDiskDefaultsToUserDataLocation() {
    QCOMPARE(HardDiskFolder::dataDir(), m_root.path() + "/data/KALMOR/VANTORA/DATA");
    // A new account may not have its data location yet.
    QVERIFY(QDir(m_root.path() + "/data").removeRecursively());
    QVERIFY(!FileOps::makeDir(HardDiskFolder::levels().constFirst()));
    QVERIFY(HardDiskFolder::makeBase());
    for (const QString& level : HardDiskFolder::levels())
        QVERIFY(FileOps::makeDir(level));
    QVERIFY(QFileInfo(HardDiskFolder::dataDir()).isDir());
    QDir(m_root.path() + "/data/KALMOR").removeRecursively();
}

// --- file operations -------------------------------------------------------------------

void PlatformTest::readOnlyTargetIsOverwritten() {
    const QString source = m_work->filePath("GameData.DB");
    const QString target = m_work->filePath("copy.DB");
    writeFile(source, "new tables");
    writeFile(target, "old tables");
    const auto readOnly = QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup;
    QFile::setPermissions(source, readOnly);
    QFile::setPermissions(target, readOnly);

    QVERIFY(FileOps::clearAttributes(target));
    QVERIFY(QFile::permissions(target) & QFile::WriteOwner);
    QVERIFY(FileOps::copyOverwrite(source, target));
    QCOMPARE(readFile(target), QByteArray("new tables"));
    // The copy takes the source's read-only flag along until it is cleared again.
    QVERIFY(FileOps::clearAttributes(target));
    QVERIFY(QFile::permissions(target) & QFile::WriteOwner);
    QVERIFY(!FileOps::clearAttributes(m_work->filePath("missing.DB")));
}

void PlatformTest::missingSourceLeavesTarget() {
    const QString target = m_work->filePath("CDData.DB");
    writeFile(target, "kept");
    QVERIFY(!FileOps::copyOverwrite(m_work->filePath("missing.DB"), target));
    QCOMPARE(readFile(target), QByteArray("kept"));
    QVERIFY(!FileOps::copyOverwrite(target, target));
    QCOMPARE(readFile(target), QByteArray("kept"));
}

void PlatformTest::makeDirCreatesOneLevel() {
    QVERIFY(!FileOps::makeDir(m_work->filePath("A/B")));
    QVERIFY(FileOps::makeDir(m_work->filePath("A")));
    QVERIFY(!FileOps::makeDir(m_work->filePath("A")));
    QVERIFY(FileOps::makeDir(m_work->filePath("A/B")));
}

void PlatformTest::currentDirFollowsSetCurrentDir() {
    QVERIFY(FileOps::setCurrentDir(m_work->path()));
    QCOMPARE(FileOps::currentDir(), QDir(m_work->path()).canonicalPath());
    QVERIFY(!FileOps::setCurrentDir(m_work->filePath("missing")));
    QVERIFY(FileOps::setCurrentDir(FileOps::tempFolder()));
    QVERIFY(QDir::isAbsolutePath(FileOps::tempFolder()));
    QCOMPARE(FileOps::currentDir(), QDir(QDir::tempPath()).canonicalPath());
}

// --- program launcher ------------------------------------------------------------------

void PlatformTest::launcherResolves_data() {
    QTest::addColumn<QString>("relativeFile");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Windows name") << "VTEngine\\Setup.exe"
                                  << "VTEngine/Setup";
    QTest::newRow("other letter case") << "vtengine\\SETUP.EXE"
                                       << "VTEngine/Setup";
    QTest::newRow("slashes, no extension") << "VTEngine/Setup"
                                           << "VTEngine/Setup";
    QTest::newRow("runnable file preferred") << "Tools\\Run.exe"
                                             << "Tools/Run";
    QTest::newRow("exact name when it runs") << "Tools\\Go.exe"
                                             << "Tools/Go.exe";
    QTest::newRow("missing program") << "VTEngine\\Install.exe"
                                     << "";
    QTest::newRow("folder is not a program") << "VTEngine"
                                             << "";
    QTest::newRow("wrong folder") << "Setup.exe"
                                  << "";
}

void PlatformTest::launcherResolves() {
    QFETCH(QString, relativeFile);
    QFETCH(QString, expected);
    const QString base = m_work->path();
    for (const QString& name : {"VTEngine/Setup", "Tools/Run", "Tools/Run.exe", "Tools/Go.exe"})
        writeFile(m_work->filePath(name), "#!/bin/sh\n");
    for (const QString& name : {"VTEngine/Setup", "Tools/Run", "Tools/Go.exe"})
        QFile::setPermissions(m_work->filePath(name),
                              QFile::permissions(m_work->filePath(name)) | QFile::ExeOwner);

    const QString resolved = ProgramLauncher::resolve(relativeFile, base);
    QCOMPARE(resolved, expected.isEmpty() ? QString() : QDir(base).absoluteFilePath(expected));
}

void PlatformTest::launcherStartsInCurrentDir() {
    const QString script = m_work->filePath("Disc/VTEngine/Setup");
    writeFile(script, "#!/bin/sh\npwd > started.txt\n");
    QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);
    const QString disc = m_work->filePath("Disc");
    QVERIFY(QDir::setCurrent(disc));

    QVERIFY(ProgramLauncher().start("VTEngine\\Setup.exe"));
    QTRY_VERIFY_WITH_TIMEOUT(readFile(disc + "/started.txt").endsWith('\n'), 10000);
    QCOMPARE(QString::fromLocal8Bit(readFile(disc + "/started.txt")).trimmed(),
             QDir(disc).canonicalPath());
    QVERIFY(!ProgramLauncher().start("VTEngine\\Missing.exe"));
}

// --- single-instance guard -------------------------------------------------------------

void PlatformTest::secondCopyAsksFirstToActivate() {
    SingleInstanceGuard first("vantora");
    QVERIFY(first.tryLock());
    QSignalSpy activations(&first, &SingleInstanceGuard::activationRequested);

    SingleInstanceGuard second("vantora");
    QVERIFY(!second.tryLock());
    QVERIFY(second.askRunningCopyToActivate());
    QTRY_COMPARE(activations.count(), 1);
    QVERIFY(second.askRunningCopyToActivate());
    QTRY_COMPARE(activations.count(), 2);
}

void PlatformTest::otherProgramNamesAreIndependent() {
    SingleInstanceGuard disc("vantora");
    SingleInstanceGuard hardDisk("vantorahd");
    QVERIFY(disc.tryLock());
    QVERIFY(hardDisk.tryLock());
    QVERIFY(disc.serverName() != hardDisk.serverName());

    SingleInstanceGuard nobody("vantoraxx");
    QVERIFY(!nobody.askRunningCopyToActivate());
}

void PlatformTest::releasedLockCanBeTaken() {
    auto first = std::make_unique<SingleInstanceGuard>("vantora");
    QVERIFY(first->tryLock());
    first.reset();
    SingleInstanceGuard next("vantora");
    QVERIFY(next.tryLock());
}

void PlatformTest::lockOfKilledCopyDoesNotBlock() {
    QProcess holder;
    holder.start(LOCK_HOLDER_PATH, {"vantorahd"});
    QVERIFY(holder.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(holder.canReadLine() || holder.waitForReadyRead(100), 10000);
    QCOMPARE(holder.readLine(), QByteArray("locked\n"));

    SingleInstanceGuard blocked("vantorahd");
    QVERIFY(!blocked.tryLock());

    holder.kill();
    QVERIFY(holder.waitForFinished());
    // The lock file and the socket of the killed copy are still there.
    QVERIFY(QFileInfo::exists(blocked.lockFileName()));
    QVERIFY(QFileInfo::exists(blocked.serverName()));

    SingleInstanceGuard next("vantorahd");
    QVERIFY(next.tryLock());
    QSignalSpy activations(&next, &SingleInstanceGuard::activationRequested);
    QVERIFY(SingleInstanceGuard("vantorahd").askRunningCopyToActivate());
    QTRY_COMPARE(activations.count(), 1);
}

QTEST_GUILESS_MAIN(PlatformTest)
#include "test_platform.moc"
