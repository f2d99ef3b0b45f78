// Odd files and folders where the tables are looked for: a named pipe in place of a table,
// and start folders whose names hold characters that mean something in a statement.
#include "AppFixture.h"
#include "AppState.h"
#include "AppWindows.h"
#include "ClickArea.h"
#include "StripPicture.h"
#include "TForm1.h"
#include "TestSupport.h"
#include "UserSteps.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <cstdio>
#include <sys/stat.h>

namespace {

// Child mode: a named pipe in place of the games table; starts the program, then opens
// the games view in edit mode, and prints every box. A hang here is the fault.
int childPipe() {
    AppFixture app;
    if (!app.makeArchive())
        return 3;
    const QString games = app.dataDir() + QStringLiteral("/GameData.DB");
    QFile::remove(games);
    if (::mkfifo(QFile::encodeName(games).constData(), 0644) != 0)
        return 4;
    app.start();
    std::printf("start: %s\n", app.boxes.join(u'|').toUtf8().constData());
    app.boxes.clear();
    UserSteps::showView(UserSteps::Disc);
    UserSteps::switchEditMode();
    UserSteps::showView(UserSteps::Games);
    std::printf("edit mode %d: %s\n", State().EditMode, app.boxes.join(u'|').toUtf8().constData());
    return 0;
}

} // namespace

class TestOddPlaces : public QObject {
    Q_OBJECT
private slots:
    void namedPipeInPlaceOfATable();
    void startFolderNames_data();
    void startFolderNames();
};

void TestOddPlaces::namedPipeInPlaceOfATable() {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child-pipe")});
    QVERIFY(child.waitForStarted());
    // Bounded by the process, not measured: a child blocked on the pipe never ends.
    const bool ended = child.waitForFinished(120000);
    if (!ended) {
        child.kill();
        child.waitForFinished();
    }
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    QVERIFY2(ended, "the program hung on the named pipe");
    QCOMPARE(child.exitCode(), 0);
    // The start and the games view in edit mode each say so at once.
    const QStringList lines = out.split(u'\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines[0].startsWith(QStringLiteral("start: error: Keine gewöhnliche Datei:")),
             qPrintable(out));
    QVERIFY2(lines[1].startsWith(QStringLiteral("edit mode 1: error: Keine gewöhnliche Datei:")),
             qPrintable(out));
}

void TestOddPlaces::startFolderNames_data() {
    QTest::addColumn<QString>("folder");
    QTest::newRow("double quote") << QStringLiteral("Die \"beste\" CD");
    QTest::newRow("single quote, percent, umlaut, space") << QStringLiteral("Kalmor's 100% Spaß");
}

void TestOddPlaces::startFolderNames() {
    QFETCH(QString, folder);
    AppFixture app(folder);
    QVERIFY(app.makeArchive());
    QCOMPARE(app.start(), StartupOutcome::Running);
    QVERIFY2(app.boxes.isEmpty(), qPrintable(app.boxes.join(u'|')));
    QCOMPARE(State().CurrentView, QStringLiteral("Spiele"));
    QCOMPARE(Form1->Query1.recordCount(), 40);
    QVERIFY(State().DataDir.contains(folder));
}

int main(int argc, char** argv) {
    if (argc == 2 && QByteArray(argv[1]) == "--child-pipe") {
        QApplication app(argc, argv);
        return childPipe();
    }
    QApplication app(argc, argv);
    TestOddPlaces tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "test_oddplaces.moc"
